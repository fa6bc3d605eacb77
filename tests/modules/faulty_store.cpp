// A stand-in for the appointment store that passes every call on to the real one and fails the
// call numbered N. Tests register it under the store's class identifier in place of the real
// server, so that the item reaches it exactly as it reaches the store: CoCreateInstance, then the
// object model's methods. Every object it hands out wraps the real one, so the calls on folders,
// collections, appointments and recurrence patterns are counted too, and so are the objects still
// alive.
#include <pimstore.h>

#include <cstring>

#define FAULTY_STORE_API extern "C" __declspec(dllexport)

namespace {

const long kLoggedCalls = 8192;

HMODULE gRealServer = nullptr;
LONG gCalls = 0;
LONG gFailAt = 0;
LONG gFailOnward = 0;
LONG gFailures = 0;
LONG gLiveObjects = 0;
const char* gFailedCall = "";
const char* gCallLog[kLoggedCalls];

// One call of the object model: counted, logged, and failed when its number is the chosen one
// (or past it, when the store is to stay broken from there on).
bool failsHere(const char* name) {
    const LONG number = InterlockedIncrement(&gCalls);
    if (number <= kLoggedCalls)
        gCallLog[number - 1] = name;
    const LONG failAt = gFailAt;
    if (failAt == 0 || number < failAt || (number > failAt && !gFailOnward))
        return false;
    if (InterlockedIncrement(&gFailures) == 1)
        gFailedCall = name;
    return true;
}

template <typename T> void clearOut(T* value) {
    if (value)
        *value = T();
}

IDispatch* wrapDispatch(IDispatch* inner);
IPOutlookApp* wrapApplication(IPOutlookApp* inner);
IFolder* wrapFolder(IFolder* inner);
IPOutlookItemCollection* wrapCollection(IPOutlookItemCollection* inner);
IAppointment* wrapAppointment(IAppointment* inner);
IRecurrencePattern* wrapPattern(IRecurrencePattern* inner);

// Reference counting, IDispatch passed on, and the interface's own identifier answered.
template <typename Interface> class Wrapper : public Interface {
public:
    Wrapper(Interface* inner, REFIID iid) : inner_(inner), iid_(iid) {
        InterlockedIncrement(&gLiveObjects);
    }
    virtual ~Wrapper() {
        inner_->Release();
        InterlockedDecrement(&gLiveObjects);
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        if (IsEqualIID(iid, iid_)) {
            *object = nullptr;
            if (failsHere("QueryInterface"))
                return E_NOINTERFACE;
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        // The store's private identifiers reach the real object, which it recognises.
        return inner_->QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return inner_->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return inner_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return inner_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override {
        return inner_->Invoke(id, iid, locale, flags, parameters, result, exception, argumentError);
    }

protected:
    Interface* inner_;

private:
    IID iid_;
    LONG references_ = 1;
};

// Method bodies: counted and passed on; a failed call clears its out-parameter.
#define PASS_0(Class, name)                                                                        \
    HRESULT STDMETHODCALLTYPE name() override {                                                    \
        return failsHere(#Class "::" #name) ? E_FAIL : inner_->name();                             \
    }
#define PASS_IN(Class, name, In)                                                                   \
    HRESULT STDMETHODCALLTYPE name(In a) override {                                                \
        return failsHere(#Class "::" #name) ? E_FAIL : inner_->name(a);                            \
    }
#define PASS_OUT(Class, name, Out)                                                                 \
    HRESULT STDMETHODCALLTYPE name(Out* a) override {                                              \
        if (failsHere(#Class "::" #name)) {                                                        \
            clearOut(a);                                                                           \
            return E_FAIL;                                                                         \
        }                                                                                          \
        return inner_->name(a);                                                                    \
    }
#define PASS_IN_OUT(Class, name, In, Out)                                                          \
    HRESULT STDMETHODCALLTYPE name(In a, Out* b) override {                                        \
        if (failsHere(#Class "::" #name)) {                                                        \
            clearOut(b);                                                                           \
            return E_FAIL;                                                                         \
        }                                                                                          \
        return inner_->name(a, b);                                                                 \
    }
// Methods that hand out an object: the caller gets it wrapped.
#define WRAP_OUT(Class, name, Out, wrap)                                                           \
    HRESULT STDMETHODCALLTYPE name(Out** a) override {                                             \
        if (failsHere(#Class "::" #name)) {                                                        \
            clearOut(a);                                                                           \
            return E_FAIL;                                                                         \
        }                                                                                          \
        HRESULT result = inner_->name(a);                                                          \
        if (SUCCEEDED(result) && a && *a)                                                          \
            *a = wrap(*a);                                                                         \
        return result;                                                                             \
    }
#define WRAP_IN_OUT(Class, name, In, Out, wrap)                                                    \
    HRESULT STDMETHODCALLTYPE name(In a, Out** b) override {                                       \
        if (failsHere(#Class "::" #name)) {                                                        \
            clearOut(b);                                                                           \
            return E_FAIL;                                                                         \
        }                                                                                          \
        HRESULT result = inner_->name(a, b);                                                       \
        if (SUCCEEDED(result) && b && *b)                                                          \
            *b = wrap(*b);                                                                         \
        return result;                                                                             \
    }

class Application : public Wrapper<IPOutlookApp> {
public:
    explicit Application(IPOutlookApp* inner) : Wrapper(inner, IID_IPOutlookApp) {}
    PASS_IN(IPOutlookApp, Logon, long)
    PASS_0(IPOutlookApp, Logoff)
    PASS_OUT(IPOutlookApp, get_Version, BSTR)
    WRAP_IN_OUT(IPOutlookApp, GetDefaultFolder, int, IFolder, wrapFolder)
    WRAP_IN_OUT(IPOutlookApp, CreateItem, int, IDispatch, wrapDispatch)
    WRAP_IN_OUT(IPOutlookApp, GetItemFromOid, long, IDispatch, wrapDispatch)
    PASS_OUT(IPOutlookApp, get_HomeCity, ICity*)
    PASS_IN(IPOutlookApp, put_HomeCity, ICity*)
    PASS_OUT(IPOutlookApp, get_VisitingCity, ICity*)
    PASS_IN(IPOutlookApp, put_VisitingCity, ICity*)
    PASS_OUT(IPOutlookApp, get_CurrentCityIndex, long)
    PASS_IN(IPOutlookApp, put_CurrentCityIndex, long)
    PASS_0(IPOutlookApp, ReceiveFromInfrared)
    PASS_OUT(IPOutlookApp, get_OutlookCompatible, VARIANT_BOOL)
    PASS_IN_OUT(IPOutlookApp, GetTimeZoneFromIndex, int, ITimeZone*)
    PASS_IN_OUT(IPOutlookApp, GetTimeZoneInformationFromIndex, int, TIME_ZONE_INFORMATION)
    WRAP_OUT(IPOutlookApp, get_Application, IPOutlookApp, wrapApplication)
    PASS_IN(IPOutlookApp, SysFreeString, BSTR)
    PASS_IN_OUT(IPOutlookApp, VariantTimeToSystemTime, DATE, SYSTEMTIME)
    PASS_IN_OUT(IPOutlookApp, SystemTimeToVariantTime, SYSTEMTIME*, DATE)
};

class Folder : public Wrapper<IFolder> {
public:
    explicit Folder(IFolder* inner) : Wrapper(inner, IID_IFolder) {}
    WRAP_OUT(IFolder, get_Items, IPOutlookItemCollection, wrapCollection)
    PASS_OUT(IFolder, get_DefaultItemType, int)
    WRAP_OUT(IFolder, get_Application, IPOutlookApp, wrapApplication)
    HRESULT STDMETHODCALLTYPE AddItemToInfraredFolder(int type, IDispatch* item) override {
        return failsHere("IFolder::AddItemToInfraredFolder")
                   ? E_FAIL
                   : inner_->AddItemToInfraredFolder(type, item);
    }
    PASS_0(IFolder, SendToInfrared)
    WRAP_OUT(IFolder, ReceiveFromInfrared, IPOutlookItemCollection, wrapCollection)
};

class Collection : public Wrapper<IPOutlookItemCollection> {
public:
    explicit Collection(IPOutlookItemCollection* inner)
        : Wrapper(inner, IID_IPOutlookItemCollection) {}
    WRAP_OUT(IPOutlookItemCollection, Add, IDispatch, wrapDispatch)
    PASS_OUT(IPOutlookItemCollection, get_Count, int)
    WRAP_IN_OUT(IPOutlookItemCollection, Find, BSTR, IDispatch, wrapDispatch)
    WRAP_OUT(IPOutlookItemCollection, FindNext, IDispatch, wrapDispatch)
    WRAP_IN_OUT(IPOutlookItemCollection, Item, int, IDispatch, wrapDispatch)
    PASS_IN(IPOutlookItemCollection, Remove, int)
    WRAP_IN_OUT(IPOutlookItemCollection, Restrict, BSTR, IPOutlookItemCollection, wrapCollection)
    HRESULT STDMETHODCALLTYPE Sort(BSTR property, VARIANT_BOOL descending) override {
        return failsHere("IPOutlookItemCollection::Sort") ? E_FAIL
                                                          : inner_->Sort(property, descending);
    }
    PASS_OUT(IPOutlookItemCollection, get_IncludeRecurrences, VARIANT_BOOL)
    PASS_IN(IPOutlookItemCollection, put_IncludeRecurrences, VARIANT_BOOL)
    PASS_OUT(IPOutlookItemCollection, get__NewEnum, IUnknown*)
    WRAP_OUT(IPOutlookItemCollection, get_Application, IPOutlookApp, wrapApplication)
};

class Appointment : public Wrapper<IAppointment> {
public:
    explicit Appointment(IAppointment* inner) : Wrapper(inner, IID_IAppointment) {}
    PASS_0(IAppointment, ClearRecurrencePattern)
    WRAP_OUT(IAppointment, GetRecurrencePattern, IRecurrencePattern, wrapPattern)
    PASS_OUT(IAppointment, get_IsRecurring, VARIANT_BOOL)
    PASS_OUT(IAppointment, get_Subject, BSTR)
    PASS_OUT(IAppointment, get_Location, BSTR)
    PASS_OUT(IAppointment, get_Categories, BSTR)
    PASS_OUT(IAppointment, get_Start, DATE)
    PASS_OUT(IAppointment, get_Duration, long)
    PASS_OUT(IAppointment, get_End, DATE)
    PASS_OUT(IAppointment, get_AllDayEvent, VARIANT_BOOL)
    PASS_OUT(IAppointment, get_BusyStatus, long)
    PASS_OUT(IAppointment, get_Sensitivity, long)
    PASS_OUT(IAppointment, get_Body, BSTR)
    PASS_OUT(IAppointment, get_Recipients, IRecipients*)
    PASS_OUT(IAppointment, get_MeetingStatus, long)
    PASS_OUT(IAppointment, get_ReminderSet, VARIANT_BOOL)
    PASS_OUT(IAppointment, get_ReminderSoundFile, BSTR)
    PASS_OUT(IAppointment, get_ReminderMinutesBeforeStart, long)
    PASS_OUT(IAppointment, get_ReminderOptions, long)
    PASS_IN(IAppointment, put_Subject, BSTR)
    PASS_IN(IAppointment, put_Location, BSTR)
    PASS_IN(IAppointment, put_Categories, BSTR)
    PASS_IN(IAppointment, put_Start, DATE)
    PASS_IN(IAppointment, put_Duration, long)
    PASS_IN(IAppointment, put_End, DATE)
    PASS_IN(IAppointment, put_AllDayEvent, VARIANT_BOOL)
    PASS_IN(IAppointment, put_BusyStatus, long)
    PASS_IN(IAppointment, put_Sensitivity, long)
    PASS_IN(IAppointment, put_Body, BSTR)
    PASS_IN(IAppointment, put_ReminderSet, VARIANT_BOOL)
    PASS_IN(IAppointment, put_ReminderSoundFile, BSTR)
    PASS_IN(IAppointment, put_ReminderMinutesBeforeStart, long)
    PASS_IN(IAppointment, put_ReminderOptions, long)
    PASS_0(IAppointment, Save)
    PASS_0(IAppointment, Send)
    PASS_0(IAppointment, Delete)
    PASS_0(IAppointment, Cancel)
    WRAP_OUT(IAppointment, Copy, IAppointment, wrapAppointment)
    PASS_0(IAppointment, Display)
    PASS_OUT(IAppointment, get_Oid, long)
    PASS_IN(IAppointment, put_BodyInk, CEBLOB*)
    PASS_IN(IAppointment, get_BodyInk, CEBLOB*)
    WRAP_OUT(IAppointment, get_Application, IPOutlookApp, wrapApplication)
};

class Pattern : public Wrapper<IRecurrencePattern> {
public:
    explicit Pattern(IRecurrencePattern* inner) : Wrapper(inner, IID_IRecurrencePattern) {}
    PASS_OUT(IRecurrencePattern, get_RecurrenceType, long)
    PASS_OUT(IRecurrencePattern, get_PatternStartDate, DATE)
    PASS_OUT(IRecurrencePattern, get_StartTime, DATE)
    PASS_OUT(IRecurrencePattern, get_EndTime, DATE)
    PASS_OUT(IRecurrencePattern, get_PatternEndDate, DATE)
    PASS_OUT(IRecurrencePattern, get_NoEndDate, VARIANT_BOOL)
    PASS_OUT(IRecurrencePattern, get_Occurrences, long)
    PASS_OUT(IRecurrencePattern, get_Interval, long)
    PASS_OUT(IRecurrencePattern, get_DayOfWeekMask, long)
    PASS_OUT(IRecurrencePattern, get_DayOfMonth, long)
    PASS_OUT(IRecurrencePattern, get_Instance, long)
    PASS_OUT(IRecurrencePattern, get_Duration, long)
    PASS_OUT(IRecurrencePattern, get_MonthOfYear, long)
    PASS_IN(IRecurrencePattern, put_RecurrenceType, long)
    PASS_IN(IRecurrencePattern, put_PatternStartDate, DATE)
    PASS_IN(IRecurrencePattern, put_StartTime, DATE)
    PASS_IN(IRecurrencePattern, put_EndTime, DATE)
    PASS_IN(IRecurrencePattern, put_PatternEndDate, DATE)
    PASS_IN(IRecurrencePattern, put_NoEndDate, VARIANT_BOOL)
    PASS_IN(IRecurrencePattern, put_Occurrences, long)
    PASS_IN(IRecurrencePattern, put_Interval, long)
    PASS_IN(IRecurrencePattern, put_DayOfWeekMask, long)
    PASS_IN(IRecurrencePattern, put_DayOfMonth, long)
    PASS_IN(IRecurrencePattern, put_Instance, long)
    PASS_IN(IRecurrencePattern, put_Duration, long)
    PASS_IN(IRecurrencePattern, put_MonthOfYear, long)
    PASS_OUT(IRecurrencePattern, get_Exceptions, IExceptions*)
    WRAP_OUT(IRecurrencePattern, get_Application, IPOutlookApp, wrapApplication)
    WRAP_IN_OUT(IRecurrencePattern, GetOccurrence, DATE, IAppointment, wrapAppointment)
};

// Items of the calendar are appointments; anything else is passed on as it is.
IDispatch* wrapDispatch(IDispatch* inner) {
    IAppointment* appointment = nullptr;
    if (FAILED(inner->QueryInterface(IID_IAppointment, reinterpret_cast<void**>(&appointment))) ||
        !appointment)
        return inner;
    inner->Release();
    return wrapAppointment(appointment);
}

IPOutlookApp* wrapApplication(IPOutlookApp* inner) {
    return new Application(inner);
}
IFolder* wrapFolder(IFolder* inner) {
    return new Folder(inner);
}
IPOutlookItemCollection* wrapCollection(IPOutlookItemCollection* inner) {
    return new Collection(inner);
}
IAppointment* wrapAppointment(IAppointment* inner) {
    return new Appointment(inner);
}
IRecurrencePattern* wrapPattern(IRecurrencePattern* inner) {
    return new Pattern(inner);
}

// Creating the application object is the first call the item makes of the store.
class ClassFactory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        if (failsHere("CoCreateInstance"))
            return E_FAIL;
        IClassFactory* real = realFactory();
        if (!real)
            return CLASS_E_CLASSNOTAVAILABLE;
        IPOutlookApp* application = nullptr;
        HRESULT result =
            real->CreateInstance(nullptr, IID_IPOutlookApp, reinterpret_cast<void**>(&application));
        real->Release();
        if (FAILED(result) || !application)
            return FAILED(result) ? result : E_FAIL;
        IPOutlookApp* wrapped = wrapApplication(application);
        if (IsEqualIID(iid, IID_IPOutlookApp) || IsEqualIID(iid, IID_IUnknown) ||
            IsEqualIID(iid, IID_IDispatch)) {
            *object = wrapped; // not a call of the item's: never counted
            return S_OK;
        }
        result = wrapped->QueryInterface(iid, object);
        wrapped->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    static IClassFactory* realFactory() {
        if (!gRealServer)
            return nullptr;
        typedef HRESULT(STDAPICALLTYPE * GetClassObject)(REFCLSID, REFIID, void**);
        auto getClassObject = reinterpret_cast<GetClassObject>(
            reinterpret_cast<void*>(GetProcAddress(gRealServer, "DllGetClassObject")));
        IClassFactory* factory = nullptr;
        if (!getClassObject || FAILED(getClassObject(CLSID_Application, IID_IClassFactory,
                                                     reinterpret_cast<void**>(&factory))))
            return nullptr;
        return factory;
    }
};

ClassFactory gFactory;

} // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
    DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_Application))
        return CLASS_E_CLASSNOTAVAILABLE;
    return gFactory.QueryInterface(iid, object);
}

// The test decides when the library goes, not COM.
extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return S_FALSE;
}

// The real server to pass calls on to, loaded once.
FAULTY_STORE_API BOOL FaultyStoreUseServer(const WCHAR* path) {
    if (!gRealServer)
        gRealServer = LoadLibraryW(path);
    return gRealServer != nullptr;
}

// Starts counting from 0 again. failAt 0: nothing fails; otherwise call number failAt fails, and
// with failOnward every later call too.
FAULTY_STORE_API void FaultyStoreReset(LONG failAt, BOOL failOnward) {
    gFailAt = failAt;
    gFailOnward = failOnward ? 1 : 0;
    gFailures = 0;
    gFailedCall = "";
    InterlockedExchange(&gCalls, 0);
}

FAULTY_STORE_API LONG FaultyStoreCalls() {
    return gCalls;
}
FAULTY_STORE_API LONG FaultyStoreLiveObjects() {
    return gLiveObjects;
}
// The method that failed first since the reset, "" when none did.
FAULTY_STORE_API const char* FaultyStoreFailedCall() {
    return gFailedCall;
}
// The method of call number n (1-based) since the reset, "" past the log.
FAULTY_STORE_API const char* FaultyStoreCallName(LONG number) {
    if (number < 1 || number > kLoggedCalls || number > gCalls)
        return "";
    return gCallLog[number - 1];
}
