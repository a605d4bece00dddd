// Loading the lyrics page of the song now playing into the view: the
// browser control itself POSTs the song, its start time, the signature and
// the installation identity to the service's page address.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string_view>

#include <exdisp.h>

namespace stz {

// On the player's thread, whenever the song or the view may have changed.
// Loads a page only when the view and the visualizer are visible, the song
// (artist and title, compared field by field) differs from the one whose
// page was asked for last, and the session is valid.
void RequestLyricsPage();

// A new browser window is empty: the next request loads the page of whatever
// is playing, even the song asked for last.
void ForgetLastLyricsPage();

// Navigate2 with the given address, flags 14 (no history, neither read
// from nor written to the cache), no target frame, `body` as the POST data
// and `headers` added to the request. False, and nothing navigated, when an
// argument cannot be made; the result of Navigate2 itself is not examined.
bool NavigateWithPost(IWebBrowser2* browser, std::string_view url, std::string_view body,
                      std::string_view headers);

}  // namespace stz
