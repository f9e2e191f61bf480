// The one dialog class every window of the program derives from: a single
// trampoline turns the dialog messages into virtual calls on the object.
// Modal (DoModal) and modeless (Create) dialogs differ only in how EndDialog
// ends them. Property pages are dialogs too; the sheet creates their windows.
#pragma once

#include <string>

#include "seams/Ui.h"
#include "win32/os/Win32Undef.h"
#include "win32/ui/Scale.h"

namespace setup {

// A window's text in UTF-8; empty for a null window.
std::string WindowText(HWND window);

// String resource `id` of `resources` in UTF-8; empty when there is none.
std::string LoadResourceString(HINSTANCE resources, int id);

class Dialog {
public:
    Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    // A modeless dialog still open is destroyed with its object.
    virtual ~Dialog();

    // Runs the dialog of the given template of `resources` modally; the
    // EndDialog result, or -1 when the dialog could not be created.
    INT_PTR DoModal(HINSTANCE resources, int templateId, HWND owner);

    // Creates the dialog modelessly; null when it could not be created.
    // PumpModelessMessage gives it its keyboard navigation; it lives until
    // EndDialog (or DestroyWindow) ends it.
    HWND Create(HINSTANCE resources, int templateId, HWND parent);

    // For a message loop: lets the modeless dialog the message belongs to
    // handle it (IsDialogMessage). true when it did.
    static bool PumpModelessMessage(MSG& msg);

    HWND Window() const { return hwnd_; }
    bool IsModal() const { return modal_; }

    // --- controls (UTF-8 texts) ---
    HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
    std::string ItemText(int id) const;
    void SetItemText(int id, const std::string& text);
    void EnableItem(int id, bool enable);
    void CheckItem(int id, bool checked);
    LRESULT SendItemMessage(int id, UINT message, WPARAM wParam, LPARAM lParam);
    std::string Caption() const;
    void SetCaption(const std::string& text);

    // Ends the dialog: EndDialog(result) when modal, DestroyWindow when
    // modeless (the result then has no reader).
    void EndDialog(INT_PTR result);

protected:
    // TRUE lets the dialog manager set the focus.
    virtual BOOL OnInitDialog() { return TRUE; }
    // TRUE when the command was handled.
    virtual bool OnCommand(int id, int notifyCode, HWND control);
    // WM_PAINT; false leaves it to the dialog's default painting.
    virtual bool OnPaint() { return false; }
    // WM_NOTIFY. true when handled; `result` then becomes the message's
    // result (DWLP_MSGRESULT).
    virtual bool OnNotify(const NMHDR&, LRESULT&) { return false; }
    // Any message not handled above; its dialog-procedure result.
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnOK() { EndDialog(mb::IDOK_); }
    // IDCANCEL: Escape, or a button of that id.
    virtual void OnCancel() { EndDialog(mb::IDCANCEL_); }
    // The close box (WM_CLOSE); by default what Cancel does.
    virtual void OnClose() { OnCancel(); }

    // After the dialog followed a change of the display's scale (its size,
    // its controls' places and fonts, its texts' room): what else depends
    // on the scale. It has been invalidated.
    virtual void OnDpiChanged() {}

    // The dialog's own WM_PAINT handling (background and nothing else), for
    // an OnPaint that draws on top of it.
    void DefaultPaint();

    // The one dialog procedure; WM_INITDIALOG's lParam is the object.
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    static INT_PTR Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL InitDialog();
    void AfterDpiChange();

    HWND hwnd_ = nullptr;
    HINSTANCE resources_ = nullptr;
    bool modal_ = false;
    ScaledFonts fonts_;  // made for the scale the dialog follows
};

// A page of a property sheet (here: of a wizard). The sheet makes its window
// the first time the page is shown and destroys it with the sheet; the
// page's notifications become the virtuals below.
class PropertyPage : public Dialog {
public:
    // The page's sheet entry: template `templateId` of `resources`, the
    // sheet's title shown while the page is (no Help button). Null on failure.
    HPROPSHEETPAGE CreatePage(HINSTANCE resources, int templateId, const std::string& title);

    // The sheet window; null before the page's window exists.
    HWND Sheet() const { return ::GetParent(Window()); }

    // Posts PSM_SETWIZBUTTONS (PSWIZB_BACK, _NEXT, _FINISH) to the sheet.
    // Posted, not sent: the sheet applies it after the page change is done.
    void PostWizardButtons(int buttons);

protected:
    // PSN_SETACTIVE: false keeps the page from being shown.
    virtual bool OnSetActive() { return true; }
    // PSN_WIZNEXT and PSN_WIZBACK: 0 goes on to the next (previous) page,
    // -1 stays, a template id goes to that page.
    virtual LRESULT OnWizardNext() { return 0; }
    virtual LRESULT OnWizardBack() { return 0; }
    // PSN_WIZFINISH: false keeps the wizard open.
    virtual bool OnWizardFinish() { return true; }

    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    // Return and Escape belong to the sheet; a page never ends itself.
    void OnOK() override {}
    void OnCancel() override {}

private:
    // The sheet calls the page's procedure with the PROPSHEETPAGE itself as
    // WM_INITDIALOG's lParam; its lParam is the object.
    static INT_PTR CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The first page to open makes its sheet follow changes of scale.
    static void FollowSheetScale(HWND sheet, HINSTANCE resources);

    std::wstring title_;  // the sheet keeps a pointer to it while it runs
};

// Centres `window` over `owner` when that is a visible, not minimised window,
// else over the work area of the monitor it is on; either way it is kept
// inside that work area.
void CenterWindow(HWND window, HWND owner);

}  // namespace setup
