// The calendar folder (its Items) and the infrared folder (items queued for beaming).
#pragma once

#include "application.h"
#include "appointment.h"
#include "com_ptr.h"

#include <vector>

namespace pimstore {

class Folder : public DispatchObject<IFolder, IID_IFolder> {
public:
    enum class Kind { Calendar, Infrared };

    Folder(ComPtr<Application> application, Kind kind);

    HRESULT STDMETHODCALLTYPE get_Items(IPOutlookItemCollection** items) override;
    HRESULT STDMETHODCALLTYPE get_DefaultItemType(int* type) override;
    HRESULT STDMETHODCALLTYPE get_Application(IPOutlookApp** application) override;
    HRESULT STDMETHODCALLTYPE AddItemToInfraredFolder(int type, IDispatch* item) override;
    HRESULT STDMETHODCALLTYPE SendToInfrared() override;
    HRESULT STDMETHODCALLTYPE ReceiveFromInfrared(IPOutlookItemCollection**) override {
        return E_NOTIMPL;
    }

private:
    ~Folder() override;

    ComPtr<Application> application_;
    const Kind kind_;
    CRITICAL_SECTION queueLock_;
    std::vector<ComPtr<Appointment>> queue_;
};

} // namespace pimstore
