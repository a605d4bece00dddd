#include "lyricsview/lyrics_page_win32.h"

#include <oleauto.h>

#include <cstring>
#include <optional>
#include <string>

#include "host/plugin_state_win32.h"
#include "lyricsview/lyrics_view_win32.h"
#include "service/endpoint_win32.h"
#include "service/request_bodies.h"
#include "tracking/status_key.h"

namespace stz {
namespace {

// Navigate2's flags: navNoHistory (0x02) | navNoReadFromCache (0x04) | navNoWriteToCache (0x08).
constexpr LONG kLyricsPageNavigateFlags = 0x02 | 0x04 | 0x08;

// The song whose page was asked for last; empty: none since the browser
// window was made (or since load).
std::optional<SongKey> lastLyricsKey;

// A VARIANT owned by the caller: cleared (strings and arrays freed) when it goes.
struct OwnedVariant {
    OwnedVariant() { VariantInit(&v); }
    ~OwnedVariant() { VariantClear(&v); }
    OwnedVariant(const OwnedVariant&) = delete;
    OwnedVariant& operator=(const OwnedVariant&) = delete;
    VARIANT v;
};

// UTF-8 (here: plain ASCII) text to a new BSTR; null when it cannot be made.
BSTR NewBstr(std::string_view text) {
    if (text.empty()) return SysAllocStringLen(L"", 0);
    const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (units <= 0) return nullptr;
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(units));
    if (!result) return nullptr;
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result, units);
    return result;
}

// A one-dimensional array of bytes, lower bound 0, holding `bytes`.
SAFEARRAY* NewByteArray(std::string_view bytes) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (!array) return nullptr;
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) {
        SafeArrayDestroy(array);
        return nullptr;
    }
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array);
    return array;
}

}  // namespace

bool NavigateWithPost(IWebBrowser2* browser, std::string_view url, std::string_view body,
                      std::string_view headers) {
    if (!browser) return false;
    OwnedVariant address, flags, target, postData, extraHeaders;  // target stays VT_EMPTY
    address.v.bstrVal = NewBstr(url);
    if (!address.v.bstrVal) return false;
    address.v.vt = VT_BSTR;
    flags.v.vt = VT_I4;
    flags.v.lVal = kLyricsPageNavigateFlags;
    postData.v.parray = NewByteArray(body);
    if (!postData.v.parray) return false;
    postData.v.vt = VT_ARRAY | VT_UI1;
    extraHeaders.v.bstrVal = NewBstr(headers);
    if (!extraHeaders.v.bstrVal) return false;
    extraHeaders.v.vt = VT_BSTR;
    // The control loads the page on its own; a failure shows in the page, not here.
    browser->Navigate2(&address.v, &flags.v, &target.v, &postData.v, &extraHeaders.v);
    return true;
}

void ForgetLastLyricsPage() { lastLyricsKey.reset(); }

void RequestLyricsPage() {
    const LyricsView& view = TheLyricsView();
    // In this order: the view exists, it is shown, and so is the visualizer.
    if (!IsWindow(view.browserWindow) || !IsWindowVisible(view.browserWindow) ||
        !IsWindowVisible(view.visualizerWindow)) {
        return;
    }
    const RequestSnapshot snapshot = TakeRequestSnapshot();
    SongKey key = MakeSongKey(snapshot.track);
    if (lastLyricsKey && *lastLyricsKey == key) return;
    // Without a session nothing is recorded: the next show, play or track
    // change tries again.
    if (!IsSessionValid(snapshot.session)) return;
    // Recorded before the request and whatever its outcome: a page that fails
    // to load is not asked for again until the song changes.
    lastLyricsKey = std::move(key);
    if (!view.webBrowser) return;
    const std::string body = BuildLyricsPageBody(snapshot.track, snapshot.session);
    NavigateWithPost(view.webBrowser, LyricsPageUrl(GetServiceEndpoint()), body, kLyricsPageHeaders);
}

}  // namespace stz
