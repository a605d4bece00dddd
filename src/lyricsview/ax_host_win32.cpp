#include "lyricsview/ax_host_win32.h"

#include <exdisp.h>
#include <ocidl.h>
#include <ole2.h>
#include <oleauto.h>

#include <new>

#include "com/module_lock.h"
#include "lyricsview/ax_site_win32.h"
#include "lyricsview/com_ptr_win32.h"

namespace stz {
namespace {

// The window's extra bytes hold a pointer to its HostedControl.
constexpr int kHostedControlSlot = 0;

// The class atom of our registration: AxGetControl answers only for windows
// of our own class.
ATOM hostClassAtom = 0;

// One control inside one host window, from WM_CREATE to WM_DESTROY. Each
// flag records a set-up step done, so that teardown undoes exactly those.
struct HostedControl {
    ComPtr<AxSite> site;
    ComPtr<IOleObject> object;
    ComPtr<IOleInPlaceObject> inPlace;  // set once in-place activation succeeded
    bool clientSiteSet = false;
};

HostedControl* HostedControlOf(HWND window) {
    return reinterpret_cast<HostedControl*>(GetWindowLongPtrW(window, kHostedControlSlot));
}

// Reverse order of set-up: deactivate, close, clear the client site, release.
void TearDown(HostedControl* hosted) {
    if (hosted->inPlace) hosted->inPlace->InPlaceDeactivate();
    hosted->inPlace.Reset();
    if (hosted->object) {
        hosted->object->Close(OLECLOSE_NOSAVE);
        if (hosted->clientSiteSet) hosted->object->SetClientSite(nullptr);
        hosted->object.Reset();
        UnlockModule();
    }
    if (hosted->site) hosted->site->Detach();
    hosted->site.Reset();
    delete hosted;
}

// Which control a window text names: a class identifier in braces, or else
// an address for the web-browser control.
bool ControlFromText(const wchar_t* text, CLSID& clsid, bool& isAddress) {
    if (!text || !*text) return false;
    if (text[0] == L'{') {
        isAddress = false;
        return SUCCEEDED(CLSIDFromString(text, &clsid));
    }
    isAddress = true;
    clsid = CLSID_WebBrowser;
    return true;
}

// An empty page loads quickly, but even a failed navigation leaves a usable
// control: the result is not a reason to refuse the window.
void NavigateTo(IOleObject* object, const wchar_t* address) {
    ComPtr<IWebBrowser2> browser;
    if (FAILED(object->QueryInterface(IID_IWebBrowser2, browser.PutVoid()))) return;
    BSTR url = SysAllocString(address);
    if (!url) return;
    browser->Navigate(url, nullptr, nullptr, nullptr, nullptr);
    SysFreeString(url);
}

bool CreateHostedControl(HWND window, const wchar_t* text) {
    CLSID clsid{};
    bool isAddress = false;
    if (!ControlFromText(text, clsid, isAddress)) return false;

    auto* hosted = new (std::nothrow) HostedControl;
    if (!hosted) return false;
    hosted->site.Reset(AxSite::Create(window));
    if (!hosted->site) {
        delete hosted;
        return false;
    }
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                hosted->object.PutVoid()))) {
        TearDown(hosted);
        return false;
    }
    LockModule();  // undone by TearDown together with the release of `object`

    IOleObject* object = hosted->object.Get();
    IOleClientSite* clientSite = static_cast<IOleClientSite*>(hosted->site.Get());
    DWORD misc = 0;
    object->GetMiscStatus(DVASPECT_CONTENT, &misc);
    const bool siteFirst = (misc & OLEMISC_SETCLIENTSITEFIRST) != 0;

    // Some controls want their site before they are initialised, others after.
    if (siteFirst) {
        if (FAILED(object->SetClientSite(clientSite))) {
            TearDown(hosted);
            return false;
        }
        hosted->clientSiteSet = true;
    }
    ComPtr<IPersistStreamInit> persist;
    if (SUCCEEDED(object->QueryInterface(IID_IPersistStreamInit, persist.PutVoid()))) {
        if (FAILED(persist->InitNew())) {
            TearDown(hosted);
            return false;
        }
    }
    if (!siteFirst) {
        if (FAILED(object->SetClientSite(clientSite))) {
            TearDown(hosted);
            return false;
        }
        hosted->clientSiteSet = true;
    }

    RECT client{};
    GetClientRect(window, &client);
    if (FAILED(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, clientSite, 0, window, &client))) {
        TearDown(hosted);
        return false;
    }
    object->QueryInterface(IID_IOleInPlaceObject, hosted->inPlace.PutVoid());
    if (hosted->inPlace) hosted->inPlace->SetObjectRects(&client, &client);

    SetWindowLongPtrW(window, kHostedControlSlot, reinterpret_cast<LONG_PTR>(hosted));
    if (isAddress) NavigateTo(object, text);
    return true;
}

void ResizeHostedControl(HWND window) {
    HostedControl* hosted = HostedControlOf(window);
    if (!hosted || !hosted->inPlace) return;
    RECT client{};
    GetClientRect(window, &client);
    hosted->inPlace->SetObjectRects(&client, &client);
}

void DestroyHostedControl(HWND window) {
    HostedControl* hosted = HostedControlOf(window);
    if (!hosted) return;
    SetWindowLongPtrW(window, kHostedControlSlot, 0);
    TearDown(hosted);
}

LRESULT CALLBACK AxHostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            // -1 makes CreateWindowEx fail: no window without its control.
            return CreateHostedControl(window, create->lpszName) ? 0 : -1;
        }
        case WM_SIZE:
            ResizeHostedControl(window);
            break;
        case WM_DESTROY:
            DestroyHostedControl(window);
            break;
        case WM_ERASEBKGND:
            // The control paints the whole client area; erasing first flickers.
            if (HostedControlOf(window)) return 1;
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool RegisterAxHostClass(HINSTANCE module) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (ATOM atom = static_cast<ATOM>(GetClassInfoExW(module, kAxHostClassName, &existing))) {
        if (existing.lpfnWndProc != AxHostWindowProc) return false;  // someone else's class
        hostClassAtom = atom;
        return true;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = AxHostWindowProc;
    windowClass.cbWndExtra = sizeof(LONG_PTR);
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kAxHostClassName;
    hostClassAtom = RegisterClassExW(&windowClass);
    return hostClassAtom != 0;
}

void UnregisterAxHostClass(HINSTANCE module) {
    UnregisterClassW(kAxHostClassName, module);
    hostClassAtom = 0;
}

HRESULT AxGetControl(HWND host, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!hostClassAtom || !IsWindow(host) ||
        static_cast<ATOM>(GetClassWord(host, GCW_ATOM)) != hostClassAtom) {
        return E_INVALIDARG;
    }
    HostedControl* hosted = HostedControlOf(host);
    if (!hosted || !hosted->object) return E_FAIL;
    return hosted->object->QueryInterface(iid, out);
}

}  // namespace stz
