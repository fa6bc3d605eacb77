// The Pocket Outlook Object Model as the platform declares it: dual interfaces derived from
// IDispatch, own methods from vtable slot 7 on, getters before setters before actions, so that
// calls bind to the same slots as on a device.
#pragma once
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include "windbase.h"

// GUIDs are defined in every translation unit that includes this header; the linker keeps one.
#define POOM_DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8)                          \
    extern "C" const GUID DECLSPEC_SELECTANY name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}

POOM_DEFINE_GUID(CLSID_Application, 0x05058F23, 0x20BE, 0x11D2, 0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A,
                 0x43, 0x35);
POOM_DEFINE_GUID(IID_IPOutlookApp, 0x05058F22, 0x20BE, 0x11D2, 0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A,
                 0x43, 0x35);
POOM_DEFINE_GUID(IID_IFolder, 0x05058F20, 0x20BE, 0x11D2, 0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43,
                 0x35);
POOM_DEFINE_GUID(IID_IPOutlookItemCollection, 0xF06748C0, 0x21A5, 0x11D2, 0x8F, 0x18, 0x00, 0x00,
                 0xF8, 0x7A, 0x43, 0x35);
POOM_DEFINE_GUID(IID_IAppointment, 0x5B43F691, 0x202C, 0x11D2, 0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A,
                 0x43, 0x35);
POOM_DEFINE_GUID(IID_IRecurrencePattern, 0x38F47300, 0x270F, 0x11D2, 0x8F, 0x18, 0x00, 0x00, 0xF8,
                 0x7A, 0x43, 0x35);
POOM_DEFINE_GUID(IID_IExceptions, 0xB47398D1, 0x3B73, 0x11D2, 0x8F, 0x1B, 0x00, 0x00, 0xF8, 0x7A,
                 0x43, 0x35);
POOM_DEFINE_GUID(IID_IException, 0xB47398D0, 0x3B73, 0x11D2, 0x8F, 0x1B, 0x00, 0x00, 0xF8, 0x7A,
                 0x43, 0x35);
POOM_DEFINE_GUID(IID_IRecipients, 0x76065AE0, 0x2347, 0x11D2, 0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A,
                 0x43, 0x35);
POOM_DEFINE_GUID(IID_IRecipient, 0x7E136BE0, 0x5240, 0x11D2, 0x8F, 0x1B, 0x00, 0x00, 0xF8, 0x7A,
                 0x43, 0x35);
POOM_DEFINE_GUID(IID_ITimeZone, 0x78B27290, 0x5256, 0x11D2, 0x8F, 0x1B, 0x00, 0x00, 0xF8, 0x7A,
                 0x43, 0x35);
POOM_DEFINE_GUID(IID_ICity, 0xC83C5E90, 0x3D1B, 0x11D2, 0x8F, 0x1B, 0x00, 0x00, 0xF8, 0x7A, 0x43,
                 0x35);
POOM_DEFINE_GUID(IID_ITask, 0x37C78CE0, 0x202C, 0x11D2, 0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43,
                 0x35);
POOM_DEFINE_GUID(IID_IContact, 0x7F804E40, 0x2010, 0x11D2, 0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43,
                 0x35);
POOM_DEFINE_GUID(CLSID_Folder, 0x05058F21, 0x20BE, 0x11D2, 0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43,
                 0x35);
POOM_DEFINE_GUID(CLSID_Items, 0xF06748C1, 0x21A5, 0x11D2, 0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43,
                 0x35);
POOM_DEFINE_GUID(CLSID_AppointmentItem, 0x5B43F692, 0x202C, 0x11D2, 0x8F, 0x18, 0x00, 0x00, 0xF8,
                 0x7A, 0x43, 0x35);
POOM_DEFINE_GUID(CLSID_RecurrencePattern, 0x38F47301, 0x270F, 0x11D2, 0x8F, 0x18, 0x00, 0x00, 0xF8,
                 0x7A, 0x43, 0x35);
POOM_DEFINE_GUID(CLSID_Exception, 0xB47398D2, 0x3B73, 0x11D2, 0x8F, 0x1B, 0x00, 0x00, 0xF8, 0x7A,
                 0x43, 0x35);
POOM_DEFINE_GUID(CLSID_Exceptions, 0xB47398D3, 0x3B73, 0x11D2, 0x8F, 0x1B, 0x00, 0x00, 0xF8, 0x7A,
                 0x43, 0x35);
POOM_DEFINE_GUID(LIBID_PocketOutlook, 0x4E130E40, 0x7DBE, 0x11D2, 0x8F, 0x23, 0x00, 0x00, 0xF8,
                 0x7A, 0x43, 0x35);

// Enumerations: all 32-bit.
enum OlDefaultFolders {
    olFolderCalendar = 9,
    olFolderContacts = 10,
    olFolderTasks = 13,
    olFolderCities = 101,
    olFolderInfrared = 102,
};

enum OlItemType {
    olAppointmentItem = 1,
    olContactItem = 2,
    olTaskItem = 3,
    olCityItem = 102,
};

enum OlBusyStatus {
    olFree = 0,
    olTentative = 1,
    olBusy = 2,
    olOutOfOffice = 3,
};

enum OlRecurrenceType {
    olRecursOnce = -1,
    olRecursDaily = 0,
    olRecursWeekly = 1,
    olRecursMonthly = 2,
    olRecursMonthNth = 3,
    olRecursYearly = 5,
    olRecursYearNth = 6,
};

enum OlDaysOfWeek {
    olSunday = 1,
    olMonday = 2,
    olTuesday = 4,
    olWednesday = 8,
    olThursday = 16,
    olFriday = 32,
    olSaturday = 64,
};

enum OlMeetingStatus {
    olNonMeeting = 0,
    olMeeting = 1,
};

enum OlSensitivity {
    olNormal = 0,
    olPersonal = 1,
    olPrivate = 2,
    olConfidential = 3,
};

enum OlReminderOptions {
    olLED = 1,
    olVibrate = 2,
    olDialog = 4,
    olSound = 8,
    olRepeat = 16,
};

enum OlImportance {
    olImportanceLow = 0,
    olImportanceNormal = 1,
    olImportanceHigh = 2,
};

enum OlCurrentCity {
    olHomeCity = 0,
    olVisitingCity = 1,
};

#define CAL_MINDATE 0.0
#define CAL_MAXDATE 401768.0
#define DATE_NONE 949998.0

#define E_CLOCKRUNNING MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 100)
#define E_CITYINROM MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 101)
#define E_FIELDTOOLARGE MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 102)
#define E_INVALIDREMINDERTIME MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 103)
#define E_INVALIDDATES MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 104)
#define E_ALLDAYMEETING MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 105)
#define E_OVERLAPPINGEXCEPTION MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 106)
#define E_CANTCHANGEDATE MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 107)
#define E_EXCEPTIONSAMEDAY MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 108)
#define E_UNWANTEDITEM MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 109)

struct IPOutlookApp;
struct IFolder;
struct IPOutlookItemCollection;
struct IAppointment;
struct IRecurrencePattern;
struct IExceptions;
struct IException;
struct IRecipients;
struct IRecipient;
// Reached only as pointers here.
struct ICity;
struct ITimeZone;

struct IPOutlookApp : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Logon(long hWnd) = 0;
    virtual HRESULT STDMETHODCALLTYPE Logoff() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Version(BSTR* pVerMajor) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDefaultFolder(int olFolder, IFolder** ppIFolder) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateItem(int olItem, IDispatch** ppPOOMObj) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetItemFromOid(long oid, IDispatch** ppPOOMObj) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_HomeCity(ICity** ppHomeCity) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_HomeCity(ICity* pHomeCity) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_VisitingCity(ICity** ppVisitingCity) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_VisitingCity(ICity* pVisitingCity) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CurrentCityIndex(long* pIndex) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_CurrentCityIndex(long index) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReceiveFromInfrared() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_OutlookCompatible(VARIANT_BOOL* pfCompat) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTimeZoneFromIndex(int cTzIndex, ITimeZone** ppTz) = 0;
    virtual HRESULT STDMETHODCALLTYPE
    GetTimeZoneInformationFromIndex(int cTzIndex, TIME_ZONE_INFORMATION* pTzInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Application(IPOutlookApp** ppPolApp) = 0;
    virtual HRESULT STDMETHODCALLTYPE SysFreeString(BSTR bstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE VariantTimeToSystemTime(DATE date, SYSTEMTIME* pst) = 0;
    virtual HRESULT STDMETHODCALLTYPE SystemTimeToVariantTime(SYSTEMTIME* pst, DATE* pdate) = 0;
};

struct IFolder : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Items(IPOutlookItemCollection** ppolItems) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DefaultItemType(int* polItem) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Application(IPOutlookApp** polApp) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddItemToInfraredFolder(int olItem, IDispatch* polItem) = 0;
    virtual HRESULT STDMETHODCALLTYPE SendToInfrared() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReceiveFromInfrared(IPOutlookItemCollection** ppItems) = 0;
};

struct IPOutlookItemCollection : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Add(IDispatch** ppolItem) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(int* pnCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE Find(BSTR pwszRestriction, IDispatch** ppItem) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindNext(IDispatch** ppItem) = 0;
    virtual HRESULT STDMETHODCALLTYPE Item(int iIndex, IDispatch** ppolItem) = 0;
    virtual HRESULT STDMETHODCALLTYPE Remove(int iIndex) = 0;
    virtual HRESULT STDMETHODCALLTYPE Restrict(BSTR pwszRestriction,
                                               IPOutlookItemCollection** ppolItems) = 0;
    virtual HRESULT STDMETHODCALLTYPE Sort(BSTR pwszProperty, VARIANT_BOOL fDescending) = 0;
    virtual HRESULT STDMETHODCALLTYPE
    get_IncludeRecurrences(VARIANT_BOOL* pfIncludeRecurrences) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IncludeRecurrences(VARIANT_BOOL fIncludeRecurrences) = 0;
    virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** ppEnumerator) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Application(IPOutlookApp** polApp) = 0;
};

struct IAppointment : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE ClearRecurrencePattern() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRecurrencePattern(IRecurrencePattern** ppRecPattern) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsRecurring(VARIANT_BOOL* pfIsRecurring) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Subject(BSTR* pbstrSubject) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Location(BSTR* pbstrLocation) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Categories(BSTR* pbstrCategories) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Start(DATE* pst) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Duration(long* pnLen) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_End(DATE* pst) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AllDayEvent(VARIANT_BOOL* pfAllDay) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BusyStatus(long* pnBusyStatus) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Sensitivity(long* pnSensitivity) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Body(BSTR* pbstrBody) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Recipients(IRecipients** pRecipients) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MeetingStatus(long* pnMeetingStatus) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ReminderSet(VARIANT_BOOL* pfReminderSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ReminderSoundFile(BSTR* pbstrSoundFile) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ReminderMinutesBeforeStart(long* plMinutes) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ReminderOptions(long* plOptions) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Subject(BSTR pwszSubject) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Location(BSTR pwszLocation) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Categories(BSTR pwszCategories) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Start(DATE st) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Duration(long nLen) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_End(DATE st) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AllDayEvent(VARIANT_BOOL fAllDay) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_BusyStatus(long nBusyStatus) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Sensitivity(long nSensitivity) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Body(BSTR pwszBody) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ReminderSet(VARIANT_BOOL fReminderSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ReminderSoundFile(BSTR pwszSoundFile) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ReminderMinutesBeforeStart(long lMinutes) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ReminderOptions(long lOptions) = 0;
    virtual HRESULT STDMETHODCALLTYPE Save() = 0;
    virtual HRESULT STDMETHODCALLTYPE Send() = 0;
    virtual HRESULT STDMETHODCALLTYPE Delete() = 0;
    virtual HRESULT STDMETHODCALLTYPE Cancel() = 0;
    virtual HRESULT STDMETHODCALLTYPE Copy(IAppointment** ppolApt) = 0;
    virtual HRESULT STDMETHODCALLTYPE Display() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Oid(long* poid) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_BodyInk(CEBLOB* pcebl) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BodyInk(CEBLOB* pcebl) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Application(IPOutlookApp** ppolApp) = 0;
};

struct IRecurrencePattern : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_RecurrenceType(long* plRecType) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PatternStartDate(DATE* pst) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_StartTime(DATE* pst) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_EndTime(DATE* pst) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PatternEndDate(DATE* pst) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NoEndDate(VARIANT_BOOL* pfNoEndDate) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Occurrences(long* plOccurrences) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Interval(long* plInterval) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DayOfWeekMask(long* plMask) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DayOfMonth(long* plDay) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Instance(long* plInstance) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Duration(long* plDuration) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MonthOfYear(long* plMonth) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_RecurrenceType(long lRecType) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_PatternStartDate(DATE st) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_StartTime(DATE st) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_EndTime(DATE st) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_PatternEndDate(DATE st) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_NoEndDate(VARIANT_BOOL fNoEndDate) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Occurrences(long lOccurrences) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Interval(long lInterval) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DayOfWeekMask(long lMask) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DayOfMonth(long lDay) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Instance(long lInstance) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Duration(long lDuration) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_MonthOfYear(long lMonth) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Exceptions(IExceptions** ppExceptions) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Application(IPOutlookApp** ppPolApp) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetOccurrence(DATE date, IAppointment** ppAppt) = 0;
};

struct IExceptions : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Item(int iIndex, IException** ppExcept) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(int* pnCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** ppEnumerator) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Application(IPOutlookApp** ppPolApp) = 0;
};

struct IException : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_AppointmentItem(IAppointment** ppAppt) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_OriginalDate(DATE* pdate) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Deleted(VARIANT_BOOL* pfDeleted) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Application(IPOutlookApp** ppPolApp) = 0;
};

struct IRecipients : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Add(BSTR pwszName, IRecipient** pRecipient) = 0;
    virtual HRESULT STDMETHODCALLTYPE Item(int iIndex, IRecipient** ppRecipient) = 0;
    virtual HRESULT STDMETHODCALLTYPE Remove(int iIndex) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(int* pnCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** ppEnumerator) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Application(IPOutlookApp** ppPolApp) = 0;
};

struct IRecipient : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE put_Address(BSTR pwszAddress) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Address(BSTR* ppwszAddress) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* ppwszName) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Application(IPOutlookApp** ppPolApp) = 0;
};

#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(IPOutlookApp, 0x05058F22, 0x20BE, 0x11D2, 0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43,
                0x35)
__CRT_UUID_DECL(IFolder, 0x05058F20, 0x20BE, 0x11D2, 0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43, 0x35)
__CRT_UUID_DECL(IPOutlookItemCollection, 0xF06748C0, 0x21A5, 0x11D2, 0x8F, 0x18, 0x00, 0x00, 0xF8,
                0x7A, 0x43, 0x35)
__CRT_UUID_DECL(IAppointment, 0x5B43F691, 0x202C, 0x11D2, 0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43,
                0x35)
__CRT_UUID_DECL(IRecurrencePattern, 0x38F47300, 0x270F, 0x11D2, 0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A,
                0x43, 0x35)
__CRT_UUID_DECL(IExceptions, 0xB47398D1, 0x3B73, 0x11D2, 0x8F, 0x1B, 0x00, 0x00, 0xF8, 0x7A, 0x43,
                0x35)
__CRT_UUID_DECL(IException, 0xB47398D0, 0x3B73, 0x11D2, 0x8F, 0x1B, 0x00, 0x00, 0xF8, 0x7A, 0x43,
                0x35)
__CRT_UUID_DECL(IRecipients, 0x76065AE0, 0x2347, 0x11D2, 0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43,
                0x35)
__CRT_UUID_DECL(IRecipient, 0x7E136BE0, 0x5240, 0x11D2, 0x8F, 0x1B, 0x00, 0x00, 0xF8, 0x7A, 0x43,
                0x35)
#endif
