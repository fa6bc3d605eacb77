// What the three option pages share, and the pages' dialog procedures.
#pragma once
#include <windows.h>

// First thing in every page's WM_INITDIALOG: installs pageWindowProc, places the preview and
// gives each control the resource module's string of its own id, where there is one.
void initPage(HWND page);
// Gives one control the bold label font.
void setLabelFont(HWND page, int controlId);
// Deletes the label font once the sheet and its pages are gone.
void freePageFonts();
// Paints every page's title colour, the rule under the title and the version text.
LRESULT CALLBACK pageWindowProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
// Moves the page's controls to where template templateId puts them. 1 when done; 0 when the
// template is missing or damaged, or names more than one control 0xFFFF.
int relayoutPage(HWND page, int templateId);
// The same from a template in memory, size bytes long; nothing beyond it is read.
int relayoutPageFromTemplate(HWND page, const void* dialogTemplate, size_t size);
// A page's WM_SIZE: the template of the screen's present orientation.
void relayoutForOrientation(HWND page, int landscapeTemplate, int portraitTemplate);

INT_PTR CALLBACK DisplayPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK LayoutPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ProgramsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
