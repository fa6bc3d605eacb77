// Dialog templates and fonts at the device's resolution. A device lays dialogs out in dialog
// units of the template's font made at its own dpi; Wine makes that font at the desktop's 96 dpi,
// so a VGA device's pages would come out half their size beside fonts made at 192 dpi.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <vector>

// The pages of a sheet header, with every page that names a resource template given a copy of
// it whose font is scaled from 96 dpi to the device's. Lives as long as the sheet runs.
class DevicePageTemplates {
public:
    // Points header at scaled copies of its pages; false (header untouched) when there is
    // nothing to scale.
    bool scale(PROPSHEETHEADERW* header, int dpi);

private:
    std::vector<BYTE> records_;
    std::vector<std::vector<BYTE>> templates_;
};

// A copy of a dialog template whose font's point size is scaled from 96 dpi to dpi; empty when
// the template is damaged or has no font.
std::vector<BYTE> scaleTemplateFont(const BYTE* data, size_t size, int dpi);

// The device's own dialog font, Tahoma 8 points at the screen's present dpi; the device owns it.
HFONT deviceDialogFont();
