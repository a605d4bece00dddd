// The plug-in's life in the player: the hidden timer dialog made at enable,
// everything undone at cleanup, and a clean unload.
#include <gtest/gtest.h>

#include "host_records.h"
#include "process_windows_win32.h"
#include "test_rig_win32.h"

namespace stz::standin {
namespace {

constexpr int kTimerDialogId = 201;

TrackInfo LongSong() {
    TrackInfo track;
    track.artist = u"Lifecycle Artist";
    track.title = u"Lifecycle Song";
    track.album = u"Lifecycle Album";
    track.lengthMs = 200000;
    track.trackNumber = 3;
    track.year = 2001;
    return track;
}

// Pumps until the module is gone (workers may hold it for a moment).
bool WaitUntilUnmapped(Player& player, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 100) {
        if (!Player::ModuleMapped()) return true;
        player.PumpFor(100);
    }
    return !Player::ModuleMapped();
}

TEST(PluginLifecycle, EnableMakesOneHiddenTimerDialogAndCleanupRemovesItAndItsTimers) {
    TestRig rig;
    ASSERT_TRUE(rig.Ready()) << rig.Error();
    rig.player.Init(9, 0x21);
    EXPECT_TRUE(FindProcessDialogs(kTimerDialogId).empty()) << "a timer dialog before enable";

    rig.player.Enable();
    auto dialogs = FindProcessDialogs(kTimerDialogId);
    ASSERT_EQ(dialogs.size(), 1u) << rig.TimelineText();
    const HWND dialog = dialogs[0];
    const HWND label = GetDlgItem(dialog, kTimerDialogId);
    EXPECT_EQ(WindowClassName(label), L"Static");
    EXPECT_FALSE(IsWindowVisible(dialog));

    // A second enable must not leave a second timer window behind.
    rig.player.Enable();
    EXPECT_EQ(FindProcessDialogs(kTimerDialogId).size(), 1u) << "a repeated enable made another timer dialog";

    // With a song playing, the play timer ticks on the dialog.
    rig.player.Play(LongSong());
    rig.player.ResetForeignTimerMessages();
    rig.player.PumpFor(1500);
    EXPECT_GT(rig.player.ForeignTimerMessages(), 0) << "no timer of the plug-in seen while playing";

    rig.player.Cleanup();
    EXPECT_FALSE(IsWindow(dialog)) << "the timer dialog outlived cleanup";
    EXPECT_TRUE(FindProcessDialogs(kTimerDialogId).empty());
    rig.player.ResetForeignTimerMessages();
    rig.player.PumpFor(1500);
    EXPECT_EQ(rig.player.ForeignTimerMessages(), 0) << "a timer of the plug-in still fires after cleanup";
    if (HasFailure()) ADD_FAILURE() << rig.TimelineText();
}

// After cleanup the player unloads the DLL and goes on: its message loop,
// moving, resizing and closing the frame must not reach freed code.
TEST(PluginLifecycle, UnloadsAfterCleanupAndThePlayerRunsOn) {
    TestRig rig;
    ASSERT_TRUE(rig.Ready()) << rig.Error();
    rig.player.Init(9, 0x21);
    rig.player.Enable();
    rig.player.Show();
    rig.service.WaitForRequests(kSessionPath, 1, 20000);
    rig.player.Play(LongSong());
    rig.player.PumpFor(1200);
    rig.player.Cleanup();

    rig.player.Unload();
    EXPECT_TRUE(WaitUntilUnmapped(rig.player, 20000)) << "the DLL stayed mapped after FreeLibrary";

    rig.player.PumpFor(1500);
    rig.player.MoveFrame(100, 50);
    rig.player.ResizeFrame(640, 480);
    rig.player.PumpFor(500);
    rig.player.CloseFrame();
    rig.player.PumpFor(500);
    EXPECT_FALSE(IsWindow(rig.player.Frame()));
    if (HasFailure()) ADD_FAILURE() << rig.TimelineText();
}

}  // namespace
}  // namespace stz::standin
