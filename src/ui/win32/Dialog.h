// The one dialog class every window of the program derives from: a single
// trampoline turns the dialog messages into virtual calls on the object.
#pragma once

#include "platform/win32/Win32Undef.h"
#include "ui/Ui.h"

namespace setup {

class Dialog {
public:
    Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog() = default;

    // Runs the dialog of the given template of `resources` modally; the
    // EndDialog result, or -1 when the dialog could not be created. While it
    // runs, the messages of its modal loop pass PreTranslateMessage first.
    INT_PTR DoModal(HINSTANCE resources, int templateId, HWND owner);

    HWND Window() const { return hwnd_; }
    HINSTANCE Resources() const { return resources_; }

protected:
    // A message for this dialog or its controls, before the dialog manager
    // sees it. true: it was handled and goes no further.
    virtual bool PreTranslateMessage(const MSG&) { return false; }
    // TRUE lets the dialog manager set the focus.
    virtual BOOL OnInitDialog() { return TRUE; }
    // TRUE when the command was handled.
    virtual bool OnCommand(int id, int notifyCode, HWND control);
    // Any message not handled above; TRUE when handled.
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnOK() { EndDialog(mb::IDOK_); }
    virtual void OnCancel() { EndDialog(mb::IDCANCEL_); }

    void EndDialog(INT_PTR result);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK MessageFilter(int code, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    HINSTANCE resources_ = nullptr;
    Dialog* outer_ = nullptr;  // the modal dialog running when this one started
};

}  // namespace setup
