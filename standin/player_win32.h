// The stand-in player: a frame window with a visualizer child, the plug-in
// DLL loaded by its real file name, the entry's 'init' with an application
// procedure that captures the registration, the visual messages with their
// records laid out byte for byte, and a message loop so that timers fire.
// Every object lives on the thread that made it, which must pump messages.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host_records.h"
#include "timeline.h"

namespace stz::standin {

struct CallRecord {
    bool entry = false;     // the entry point, else the registered handler
    uint32_t code = 0;
    double startMs = 0;     // on the timeline's clock
    double durationMs = 0;
    int32_t result = 0;
};

class Player {
public:
    // Calls OleInitialize, as a player's user-interface thread does, and makes
    // the frame window (shown) and its visualizer child.
    explicit Player(Timeline& timeline);
    // As a player quits: 'clr ' if the plug-in registered and was not cleaned
    // up yet, then FreeLibrary, then the windows go.
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    HWND Frame() const { return frame_; }
    HWND Visualizer() const { return visualizer_; }

    // LoadLibraryW; the file must be named itw_stanzascopium.dll.
    bool Load(const std::wstring& dllPath);
    bool Loaded() const { return module_ != nullptr; }
    // FreeLibrary. Returns whether the module is gone from the process (a
    // worker thread may still hold a reference for a moment).
    bool Unload();
    static bool ModuleMapped();

    // Raw calls, timed. nullopt: nothing to call (no DLL, no handler).
    std::optional<int32_t> SendEntry(uint32_t code, void* record);
    std::optional<int32_t> SendVisual(uint32_t code, void* record);

    // The player's messages.
    void Init(uint8_t majorVersion, uint8_t minorByte);  // entry 'init', then the handler's 'init'
    void Register();                                     // entry 'init' only
    void InitHandler(uint8_t majorVersion, uint8_t minorByte);
    void Enable();                                       // 'von '
    void Show();                                         // 'show' with the visualizer window
    void Hide();                                         // 'hide'
    void PlaceWindow();                                  // 'swin'
    void Play(const std::optional<TrackInfo>& track);    // 'vply'; nullopt sends a null record
    void PlayRecord(std::vector<uint8_t> record);        // 'vply' with a record made by hand
    void ChangeTrack(const std::optional<TrackInfo>& track);  // 'ctrk'
    void Stop();                                         // 'vstp'
    void Cleanup();                                      // 'clr ' at the entry

    void MoveFrame(int x, int y);
    void ResizeFrame(int width, int height);
    void CloseFrame();

    // Runs the message loop for `ms` milliseconds.
    void PumpFor(int ms);

    const std::optional<Registration>& Registered() const { return registration_; }
    const std::vector<CallRecord>& Calls() const { return calls_; }
    double LongestCallMs() const;
    // The longest single message dispatch (timer procedures included).
    double LongestDispatchMs() const { return longestDispatchMs_; }
    // Timer messages for windows that are not the player's, since the last reset.
    int ForeignTimerMessages() const { return foreignTimerMessages_; }
    void ResetForeignTimerMessages() { foreignTimerMessages_ = 0; }

private:
    static int32_t AppProc(void* cookie, uint32_t code, void* record);
    std::optional<int32_t> Call(bool entry, uint32_t code, void* record, const std::string& detail);
    void* NewMessageRecord();
    std::string TrackText(const std::vector<uint8_t>* record) const;

    using PluginProc = int32_t (*)(uint32_t code, void* record, void* refcon);

    Timeline& timeline_;
    bool oleInitialized_ = false;
    HWND frame_ = nullptr;
    HWND visualizer_ = nullptr;
    HMODULE module_ = nullptr;
    PluginProc entry_ = nullptr;
    PluginProc handler_ = nullptr;
    std::optional<Registration> registration_;
    bool cleanedUp_ = false;
    std::vector<CallRecord> calls_;
    double longestDispatchMs_ = 0;
    int foreignTimerMessages_ = 0;
    std::vector<uint8_t> messageRecord_;  // the record of the message being sent
    std::vector<uint8_t> trackRecord_;    // kept alive after the message, as a player does
};

// UTF-16 to UTF-8 and back, for printing and for scenario texts.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

}  // namespace stz::standin
