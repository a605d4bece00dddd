// The lyrics view under Wine with the real web-browser control: the window
// laid over the stand-in player's visualizer, the page POSTs the control
// makes to the stand-in service, closing and re-creating the view, and the
// player's windows after the plug-in has gone.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host_codes.h"
#include "host_records.h"
#include "player_win32.h"
#include "service_win32.h"
#include "test_rig_win32.h"

namespace stz {
namespace {

using standin::ReceivedRequest;
using standin::TrackInfo;

constexpr int kWaitMs = 60000;  // generous: Wine runs emulated here
// How long a step that must load nothing is given to show a stray request.
// A slower machine only makes the check less sensitive, never fail.
constexpr int kSettleMs = 700;

TrackInfo Song(std::u16string artist, std::u16string title) {
    TrackInfo track;
    track.artist = std::move(artist);
    track.title = std::move(title);
    track.album = u"Album";
    track.lengthMs = 200000;
    return track;
}

BOOL CALLBACK CollectViewWindow(HWND window, LPARAM list) {
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    if (std::wstring(name) == L"AtlAxWin90") reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// Every top-level window of our host class in this thread (the view's).
std::vector<HWND> ViewWindows() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), CollectViewWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

RECT WindowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

RECT ClientRectOnScreen(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string Text(const RECT& r) {
    char text[64];
    std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
    return text;
}

#define EXPECT_SAME_RECT(a, b) EXPECT_EQ(Text(a), Text(b))

// A procedure the test puts on the player's frame before the plug-in hooks
// it: it sees each message once per delivery, below the plug-in's hook.
struct FrameProbe {
    static inline WNDPROC previous = nullptr;
    static inline int probes = 0;
    static inline std::vector<std::pair<WPARAM, LPARAM>> closes;
    static constexpr UINT kProbeMessage = WM_APP + 17;

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == kProbeMessage) {
            ++probes;
            return 0;
        }
        if (message == WM_CLOSE) {
            closes.emplace_back(wParam, lParam);
            return 0;  // the frame stays open for the rest of the test
        }
        return CallWindowProcW(previous, window, message, wParam, lParam);
    }
    static void Install(HWND frame) {
        probes = 0;
        closes.clear();
        previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrameProbe::Proc)));
    }
};

class LyricsViewTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(rig.Ready()) << rig.Error(); }

    standin::Player& player() { return rig.player; }

    // The plug-in enabled with `song` playing, once its session is open.
    void EnableWithSongPlaying(const TrackInfo& song) {
        player().Init(12, 0x10);
        player().Enable();
        player().Play(song);
        WaitForSession();
    }

    // The first status report signed with an issued session key proves that
    // the plug-in holds a valid session.
    void WaitForSession() {
        ASSERT_TRUE(rig.service.WaitUntil(
            [](const std::vector<ReceivedRequest>& requests) {
                for (const auto& r : requests) {
                    if (r.path == standin::kStatusPath && r.SignatureOk()) return true;
                }
                return false;
            },
            kWaitMs))
            << rig.TimelineText();
    }

    // Before the session is open nothing is loaded or remembered; `trigger`
    // after it opens loads the page of the same song.
    void ExpectPageAfterSessionOpens(const std::function<void(standin::Player&)>& trigger) {
        player().Init(12, 0x10);
        player().Show();
        player().Play(Song(u"Early", u"Bird"));
        player().Enable();
        WaitForSession();
        player().PumpFor(kSettleMs);
        ExpectPages(0);
        trigger(player());
        ExpectPages(1);
        ExpectLastPageFor("Early", "Bird");
    }

    std::vector<ReceivedRequest> Pages() { return rig.service.Requests(standin::kLyricsPagePath); }

    // Waits for the page count to reach `count`; then it must be exactly that.
    void ExpectPages(size_t count) {
        if (count > 0) {
            ASSERT_TRUE(rig.service.WaitForRequests(standin::kLyricsPagePath, count, kWaitMs))
                << rig.TimelineText();
        }
        ASSERT_EQ(Pages().size(), count) << rig.TimelineText();
    }

    void ExpectLastPageFor(const std::string& artist, const std::string& title) {
        const auto pages = Pages();
        ASSERT_FALSE(pages.empty());
        EXPECT_EQ(pages.back().Field("a"), artist) << rig.TimelineText();
        EXPECT_EQ(pages.back().Field("t"), title) << rig.TimelineText();
        EXPECT_TRUE(pages.back().SignatureOk()) << rig.TimelineText();
    }

    HWND TheView() {
        const auto windows = ViewWindows();
        return windows.size() == 1 ? windows.front() : nullptr;
    }

    HRESULT CanUnloadNow() {
        using Export = HRESULT(WINAPI*)();
        HMODULE module = GetModuleHandleW(L"itw_stanzascopium.dll");
        auto canUnload = reinterpret_cast<Export>(
            reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
        return canUnload ? canUnload() : E_NOTIMPL;
    }

    standin::TestRig rig;
};

// The body's fixed parts, computed outside our code:
// python3 -c "e=lambda s:''.join(chr(b) if chr(b).isalnum() and b<128 else '%%%02X'%b for b in s.encode());
//   print('a='+e('Me/You')+'&t='+e('Jóga.'))"
// -> a=Me%2FYou&t=J%C3%B3ga%2E
// The start time, signature and identity are those of the status report for
// the same song in the same session (the service checks the signature with
// its own MD5), and the identity is the handshake's.
TEST_F(LyricsViewTest, ShowLoadsThePageOfThePlayingSongOnceOverTheVisualizer) {
    const std::time_t before = std::time(nullptr);
    EnableWithSongPlaying(Song(u"Me/You", u"Jóga."));
    const std::time_t after = std::time(nullptr);

    player().Show();
    ExpectPages(1);
    player().PumpFor(2 * kSettleMs);
    ExpectPages(1);

    const ReceivedRequest page = Pages().front();
    const auto status = rig.service.Requests(standin::kStatusPath).front();
    const auto session = rig.service.Requests(standin::kSessionPath).front();
    EXPECT_EQ(page.method, "POST");
    EXPECT_EQ(page.Header("User-Agent"), "Stanzascopium/0.4 (iTunes build)");
    EXPECT_EQ(page.Header("Content-Type"), "application/x-www-form-urlencoded");
    const std::string startTime = status.Field("i").value_or("?");
    EXPECT_EQ(page.body, "a=Me%2FYou&t=J%C3%B3ga%2E&i=" + startTime + "&pid=" + status.Field("pid").value_or("?") +
                             "&sid=" + session.Field("sid").value_or("?"));
    EXPECT_TRUE(page.SignatureOk()) << rig.TimelineText();
    const long long stamped = std::atoll(startTime.c_str());
    EXPECT_GE(stamped, static_cast<long long>(before));
    EXPECT_LE(stamped, static_cast<long long>(after));

    // An owned pop-up (not a child) exactly over the visualizer.
    const HWND view = TheView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(GetAncestor(view, GA_PARENT), GetDesktopWindow());
    EXPECT_EQ(GetWindow(view, GW_OWNER), player().Frame());
    // The system adds WS_CLIPSIBLINGS to every top-level window.
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(view, GWL_STYLE)) & ~DWORD(WS_CLIPSIBLINGS), 0x90300008u);
    EXPECT_SAME_RECT(WindowRect(view), WindowRect(player().Visualizer()));
}

TEST_F(LyricsViewTest, ViewFollowsTheVisualizerOnlyWhileShown) {
    player().Init(12, 0x10);
    player().Show();
    const HWND view = TheView();
    ASSERT_NE(view, nullptr);
    const HWND visualizer = player().Visualizer();
    EXPECT_SAME_RECT(WindowRect(view), WindowRect(visualizer));

    player().MoveFrame(200, 150);
    EXPECT_SAME_RECT(WindowRect(view), WindowRect(visualizer));

    // Only moves of the frame are followed; a new size waits for 'swin'.
    // The control inside follows the view's new size.
    player().ResizeFrame(600, 420);
    player().PlaceWindow();
    EXPECT_SAME_RECT(WindowRect(view), WindowRect(visualizer));
    const HWND control = GetWindow(view, GW_CHILD);
    ASSERT_NE(control, nullptr);
    EXPECT_SAME_RECT(WindowRect(control), ClientRectOnScreen(view));

    player().Hide();
    EXPECT_FALSE(IsWindowVisible(view));
    const RECT hiddenAt = WindowRect(view);
    player().MoveFrame(320, 260);
    player().PlaceWindow();
    EXPECT_SAME_RECT(WindowRect(view), hiddenAt);

    player().Show();
    EXPECT_EQ(TheView(), view);
    EXPECT_TRUE(IsWindowVisible(view));
    EXPECT_SAME_RECT(WindowRect(view), WindowRect(visualizer));

    // A show with another visualizer window moves the same view over it,
    // and from then on the view follows that one.
    const HWND other = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 30, 40, 200, 120, player().Frame(),
                                       nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    std::vector<uint8_t> record(standin::kVisualMessageSize, 0);
    std::memcpy(record.data() + standin::kShowWindowOffset, &other, sizeof other);
    player().SendVisual(standin::kCodeShow, record.data());
    EXPECT_EQ(TheView(), view);
    EXPECT_SAME_RECT(WindowRect(view), WindowRect(other));
    player().MoveFrame(100, 80);
    EXPECT_SAME_RECT(WindowRect(view), WindowRect(other));
    // No session was ever opened: nothing was asked of the service.
    EXPECT_TRUE(rig.service.Requests().empty()) << rig.TimelineText();
}

// While the view stays open a page is loaded once per song, compared field by
// field; hidden views and a hidden visualizer load nothing until seen again.
TEST_F(LyricsViewTest, PagesFollowTheSongWhileTheViewIsSeen) {
    EnableWithSongPlaying(Song(u"nu", u"ll"));
    const HWND visualizer = player().Visualizer();

    struct Step {
        const char* what;
        std::function<void(standin::Player&)> act;
        std::optional<std::pair<std::string, std::string>> page;  // artist, title of the page it loads
    };
    const std::vector<Step> steps = {
        {"first show: artist+title \"null\" still loads", [](auto& p) { p.Show(); }, {{"nu", "ll"}}},
        {"same song played again", [](auto& p) { p.Play(Song(u"nu", u"ll")); }, {}},
        {"AB / C", [](auto& p) { p.ChangeTrack(Song(u"AB", u"C")); }, {{"AB", "C"}}},
        {"A / BC: another song", [](auto& p) { p.ChangeTrack(Song(u"A", u"BC")); }, {{"A", "BC"}}},
        {"track change while hidden", [](auto& p) { p.Hide(); p.ChangeTrack(Song(u"X", u"Y")); }, {}},
        {"shown again: the song of now", [](auto& p) { p.Show(); }, {{"X", "Y"}}},
        {"hidden and shown, same song", [](auto& p) { p.Hide(); p.Show(); }, {}},
        {"visualizer hidden",
         [visualizer](auto& p) {
             ShowWindow(visualizer, SW_HIDE);
             p.ChangeTrack(Song(u"P", u"Q"));
         },
         {}},
        {"visualizer back, same song played",
         [visualizer](auto& p) {
             ShowWindow(visualizer, SW_SHOW);
             p.Play(Song(u"P", u"Q"));
         },
         {{"P", "Q"}}},
        {"empty artist", [](auto& p) { p.ChangeTrack(Song(u"", u"T")); }, {{"", "T"}}},
    };
    size_t expected = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.act(player());
        if (step.page) {
            ExpectPages(++expected);
            ExpectLastPageFor(step.page->first, step.page->second);
        } else {
            player().PumpFor(kSettleMs);
        }
    }
    player().PumpFor(2 * kSettleMs);
    ExpectPages(expected);
    EXPECT_EQ(Pages().back().body.rfind("a=&t=T&i=", 0), 0u) << Pages().back().body;
}

// The next show, play or track change after the session opens loads the
// page that could not be loaded before.
TEST_F(LyricsViewTest, ShowAfterTheSessionOpensLoadsThePage) {
    ExpectPageAfterSessionOpens([](standin::Player& p) {
        p.Hide();
        p.Show();
    });
}

TEST_F(LyricsViewTest, PlayAfterTheSessionOpensLoadsThePage) {
    ExpectPageAfterSessionOpens([](standin::Player& p) { p.Play(Song(u"Early", u"Bird")); });
}

TEST_F(LyricsViewTest, TrackChangeAfterTheSessionOpensLoadsThePage) {
    ExpectPageAfterSessionOpens([](standin::Player& p) { p.ChangeTrack(Song(u"Early", u"Bird")); });
}

// WM_CLOSE to the view asks the frame to close (same wParam and lParam) and
// destroys the view; the next show makes a new one with the page loaded
// again, and the frame's hook is not chained to itself.
TEST_F(LyricsViewTest, ClosingTheViewClosesTheFrameAndShowMakesANewOne) {
    EnableWithSongPlaying(Song(u"Close", u"Me"));
    FrameProbe::Install(player().Frame());
    player().Show();
    ExpectPages(1);
    const HWND first = TheView();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(CanUnloadNow(), S_FALSE);  // a control is alive

    SendMessageW(first, WM_CLOSE, 0x1234, 0x5678);
    player().PumpFor(200);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(CanUnloadNow(), S_OK);  // the control and our reference on it are gone
    ASSERT_EQ(FrameProbe::closes.size(), 1u);
    EXPECT_EQ(FrameProbe::closes[0].first, WPARAM(0x1234));
    EXPECT_EQ(FrameProbe::closes[0].second, LPARAM(0x5678));

    player().Show();
    ExpectPages(2);
    ExpectLastPageFor("Close", "Me");
    const HWND second = TheView();
    ASSERT_NE(second, nullptr);

    SendMessageW(player().Frame(), FrameProbe::kProbeMessage, 0, 0);
    EXPECT_EQ(FrameProbe::probes, 1);
    player().MoveFrame(150, 90);
    EXPECT_SAME_RECT(WindowRect(second), WindowRect(player().Visualizer()));
}

// 'hide' and 'swin' before any 'show' do nothing; after 'clr ' and the
// unload, the frame has its own procedure back and the player's windows move,
// resize and close as before.
TEST_F(LyricsViewTest, BeforeShowAndAfterCleanupThePlayerIsLeftAlone) {
    const HWND frame = player().Frame();
    const LONG_PTR frameProc = GetWindowLongPtrW(frame, GWLP_WNDPROC);
    player().Init(12, 0x10);
    player().Hide();
    player().PlaceWindow();
    EXPECT_TRUE(ViewWindows().empty());
    EXPECT_EQ(GetWindowLongPtrW(frame, GWLP_WNDPROC), frameProc);

    player().Show();
    ASSERT_NE(TheView(), nullptr);
    EXPECT_NE(GetWindowLongPtrW(frame, GWLP_WNDPROC), frameProc);

    player().Cleanup();
    EXPECT_TRUE(ViewWindows().empty());
    EXPECT_EQ(GetWindowLongPtrW(frame, GWLP_WNDPROC), frameProc);
    EXPECT_EQ(CanUnloadNow(), S_OK);
    EXPECT_TRUE(player().Unload()) << rig.TimelineText();

    player().MoveFrame(90, 70);
    player().ResizeFrame(500, 380);
    player().PumpFor(300);
    player().CloseFrame();
    EXPECT_FALSE(IsWindow(frame));
}

// A class object that stands in for the web-browser control's and makes
// nothing, as when the control is missing or broken. A static object, never
// deleted through an interface pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
struct RefusingFactory : IClassFactory {
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }  // static: never freed
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown*, REFIID, void** out) override {
        *out = nullptr;
        return E_OUTOFMEMORY;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};
#pragma GCC diagnostic pop

// The web-browser control: {8856F961-340A-11D0-A96B-00C04FD705A2}.
constexpr CLSID kWebBrowserClass = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};

// When the control cannot be made there is no window, no hook on the frame
// and nothing to unload-lock; the next show tries again and succeeds.
TEST_F(LyricsViewTest, FailedCreationLeavesNothingAndTheNextShowTriesAgain) {
    const HWND frame = player().Frame();
    const LONG_PTR frameProc = GetWindowLongPtrW(frame, GWLP_WNDPROC);
    player().Init(12, 0x10);
    static RefusingFactory refusing;
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(kWebBrowserClass, &refusing, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie),
              S_OK);
    player().Show();
    const bool created = !ViewWindows().empty();
    CoRevokeClassObject(cookie);
    ASSERT_FALSE(created) << "the view was made without its control";
    EXPECT_EQ(GetWindowLongPtrW(frame, GWLP_WNDPROC), frameProc);
    EXPECT_EQ(CanUnloadNow(), S_OK);

    player().Show();
    const HWND view = TheView();
    ASSERT_NE(view, nullptr);
    EXPECT_SAME_RECT(WindowRect(view), WindowRect(player().Visualizer()));
}

}  // namespace
}  // namespace stz
