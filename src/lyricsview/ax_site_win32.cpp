#include "lyricsview/ax_site_win32.h"

#include <new>

#include "com/module_lock.h"

namespace stz {

AxSite* AxSite::Create(HWND window) { return new (std::nothrow) AxSite(window); }

AxSite::AxSite(HWND window) : window_(window) { LockModule(); }

AxSite::~AxSite() { UnlockModule(); }

STDMETHODIMP AxSite::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
        *out = static_cast<IOleClientSite*>(this);
    } else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite)) {
        *out = static_cast<IOleInPlaceSite*>(this);
    } else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame)) {
        *out = static_cast<IOleInPlaceFrame*>(this);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) AxSite::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) AxSite::Release() {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

// --- IOleClientSite: the control is never saved and has no container ---

STDMETHODIMP AxSite::SaveObject() { return E_NOTIMPL; }

STDMETHODIMP AxSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP AxSite::GetContainer(IOleContainer** container) {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP AxSite::ShowObject() { return S_OK; }
STDMETHODIMP AxSite::OnShowWindow(BOOL) { return S_OK; }
STDMETHODIMP AxSite::RequestNewObjectLayout() { return E_NOTIMPL; }

// --- IOleWindow ---

STDMETHODIMP AxSite::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = window_;
    return window_ ? S_OK : E_FAIL;
}

STDMETHODIMP AxSite::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// --- IOleInPlaceSite: the control always fills the host window's client area ---

STDMETHODIMP AxSite::CanInPlaceActivate() { return window_ ? S_OK : S_FALSE; }
STDMETHODIMP AxSite::OnInPlaceActivate() { return S_OK; }
STDMETHODIMP AxSite::OnUIActivate() { return S_OK; }

STDMETHODIMP AxSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                      LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
    if (!frame || !document || !position || !clip || !frameInfo) return E_POINTER;
    // The host window is both the frame and the document window.
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;
    RECT client{};
    if (window_) GetClientRect(window_, &client);
    *position = client;
    *clip = client;
    // Callers fill cb with the size of the record they know.
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = window_;
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP AxSite::Scroll(SIZE) { return E_NOTIMPL; }
STDMETHODIMP AxSite::OnUIDeactivate(BOOL) { return S_OK; }
STDMETHODIMP AxSite::OnInPlaceDeactivate() { return S_OK; }
STDMETHODIMP AxSite::DiscardUndoState() { return S_OK; }
STDMETHODIMP AxSite::DeactivateAndUndo() { return S_OK; }
// The host window decides the control's size: a wish to change it is ignored.
STDMETHODIMP AxSite::OnPosRectChange(LPCRECT) { return S_OK; }

// --- IOleInPlaceUIWindow and IOleInPlaceFrame: no tools, menus or status bar ---

STDMETHODIMP AxSite::GetBorder(LPRECT) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP AxSite::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP AxSite::SetBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP AxSite::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) { return S_OK; }
STDMETHODIMP AxSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return E_NOTIMPL; }
STDMETHODIMP AxSite::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }
STDMETHODIMP AxSite::RemoveMenus(HMENU) { return E_NOTIMPL; }
STDMETHODIMP AxSite::SetStatusText(LPCOLESTR) { return S_OK; }
STDMETHODIMP AxSite::EnableModeless(BOOL) { return S_OK; }
STDMETHODIMP AxSite::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }

}  // namespace stz
