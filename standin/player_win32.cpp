#include "player_win32.h"

#include <ole2.h>

#include <algorithm>
#include <cstring>

#include "host_codes.h"

namespace stz::standin {
namespace {

constexpr wchar_t kFrameClass[] = L"StandinPlayerFrame";
constexpr wchar_t kVisualizerClass[] = L"StandinPlayerVisualizer";
constexpr wchar_t kPluginFileName[] = L"itw_stanzascopium.dll";
constexpr int kMargin = 8;

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_SIZE) {
        // The visualizer area fills the frame's client area but for a margin.
        HWND child = FindWindowExW(window, nullptr, kVisualizerClass, nullptr);
        if (child != nullptr) {
            const int width = std::max(0, int(LOWORD(lparam)) - 2 * kMargin);
            const int height = std::max(0, int(HIWORD(lparam)) - 2 * kMargin);
            MoveWindow(child, kMargin, kMargin, width, height, TRUE);
        }
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

void RegisterClasses() {
    WNDCLASSEXW frame{};
    frame.cbSize = sizeof frame;
    frame.lpfnWndProc = FrameProc;
    frame.hInstance = GetModuleHandleW(nullptr);
    frame.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    frame.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frame.lpszClassName = kFrameClass;
    RegisterClassExW(&frame);  // fails harmlessly when already registered

    WNDCLASSEXW visualizer = frame;
    visualizer.lpfnWndProc = DefWindowProcW;
    visualizer.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    visualizer.lpszClassName = kVisualizerClass;
    RegisterClassExW(&visualizer);
}

bool EndsWithPluginName(const std::wstring& path) {
    const std::wstring name(kPluginFileName);
    if (path.size() < name.size()) return false;
    return _wcsicmp(path.c_str() + path.size() - name.size(), name.c_str()) == 0;
}

}  // namespace

std::string ToUtf8(std::u16string_view text) {
    if (text.empty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, int(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::u16string FromUtf8(std::string_view text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::u16string out(size_t(std::max(size, 0)), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), reinterpret_cast<wchar_t*>(out.data()), size);
    return out;
}

Player::Player(Timeline& timeline) : timeline_(timeline) {
    oleInitialized_ = SUCCEEDED(OleInitialize(nullptr));
    RegisterClasses();
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    frame_ = CreateWindowExW(0, kFrameClass, L"Stand-in player", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                             40, 40, 720, 520, nullptr, nullptr, instance, nullptr);
    visualizer_ = CreateWindowExW(0, kVisualizerClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, kMargin,
                                  kMargin, 100, 100, frame_, nullptr, instance, nullptr);
    ShowWindow(frame_, SW_SHOWNORMAL);
    RECT client;
    GetClientRect(frame_, &client);
    SendMessageW(frame_, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    UpdateWindow(frame_);
}

Player::~Player() {
    if (module_ != nullptr && handler_ != nullptr && !cleanedUp_) Cleanup();
    if (module_ != nullptr) Unload();
    if (IsWindow(frame_)) DestroyWindow(frame_);
    // Let the windows' last messages go through before OLE goes away.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (oleInitialized_) OleUninitialize();
}

bool Player::Load(const std::wstring& dllPath) {
    if (module_ != nullptr) return true;
    if (!EndsWithPluginName(dllPath)) {
        timeline_.Add("player", "refusing to load a file not named itw_stanzascopium.dll");
        return false;
    }
    module_ = LoadLibraryW(dllPath.c_str());
    if (module_ == nullptr) {
        timeline_.Add("player", "LoadLibrary failed, error " + std::to_string(GetLastError()));
        return false;
    }
    auto byOrdinal = reinterpret_cast<PluginProc>(
        reinterpret_cast<void*>(GetProcAddress(module_, MAKEINTRESOURCEA(6))));
    auto byName = reinterpret_cast<PluginProc>(
        reinterpret_cast<void*>(GetProcAddress(module_, "iTunesPluginMain")));
    entry_ = byOrdinal;
    std::string text = "loaded itw_stanzascopium.dll";
    if (byOrdinal == nullptr) text += "; no export at ordinal 6";
    if (byName == nullptr) text += "; no export named iTunesPluginMain";
    if (byOrdinal != nullptr && byName != nullptr && byOrdinal != byName) {
        text += "; ordinal 6 is not iTunesPluginMain";
    }
    timeline_.Add("player", text);
    return entry_ != nullptr;
}

bool Player::ModuleMapped() { return GetModuleHandleW(kPluginFileName) != nullptr; }

bool Player::Unload() {
    if (module_ == nullptr) return !ModuleMapped();
    FreeLibrary(module_);
    module_ = nullptr;
    entry_ = nullptr;
    handler_ = nullptr;
    const bool gone = !ModuleMapped();
    timeline_.Add("player", gone ? "FreeLibrary: the module is gone" : "FreeLibrary: still mapped (held elsewhere)");
    return gone;
}

int32_t Player::AppProc(void* cookie, uint32_t code, void* record) {
    auto* self = static_cast<Player*>(cookie);
    if (self == nullptr) return -1;
    if (code != kCodeRegister) {
        self->timeline_.Add("player", "application procedure: " + FourCcText(code) + " (ignored)");
        return 0;
    }
    self->registration_ = DecodeRegistration(static_cast<const uint8_t*>(record), kRegistrationMessageSize);
    if (!self->registration_) return -1;
    self->cleanedUp_ = false;
    self->handler_ = reinterpret_cast<PluginProc>(static_cast<uintptr_t>(self->registration_->handler));
    self->timeline_.Add("player", "registered: " + Printable(self->registration_->name) + ", options " +
                                      std::to_string(self->registration_->options) + ", data interval " +
                                      std::to_string(self->registration_->dataIntervalMs) + " ms");
    return 0;
}

std::optional<int32_t> Player::Call(bool entry, uint32_t code, void* record, const std::string& detail) {
    PluginProc proc = entry ? entry_ : handler_;
    const char* who = entry ? "entry" : "handler";
    if (proc == nullptr) {
        timeline_.Add(who, FourCcText(code) + detail + "  (not sent: nothing to call)");
        return std::nullopt;
    }
    CallRecord call;
    call.entry = entry;
    call.code = code;
    call.startMs = timeline_.NowMs();
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    call.result = proc(code, record, nullptr);
    QueryPerformanceCounter(&after);
    call.durationMs = Milliseconds(before, after);
    calls_.push_back(call);
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.1f", call.durationMs);
    timeline_.Add(who, FourCcText(code) + detail + "  -> " + std::to_string(call.result) + " (" + duration + " ms)");
    return call.result;
}

std::optional<int32_t> Player::SendEntry(uint32_t code, void* record) { return Call(true, code, record, ""); }
std::optional<int32_t> Player::SendVisual(uint32_t code, void* record) { return Call(false, code, record, ""); }

void* Player::NewMessageRecord() {
    messageRecord_.assign(kVisualMessageSize, 0);
    return messageRecord_.data();
}

std::string Player::TrackText(const std::vector<uint8_t>* record) const {
    if (record == nullptr) return " (null track record)";
    const uint8_t* r = record->data();
    auto text = [&](size_t offset) {
        std::u16string units;
        for (size_t i = 0; i < kTrackTextUnits; ++i) {
            const char16_t unit = ReadScalar<uint16_t>(r, offset + 2 * i);
            if (unit == 0) break;
            units += unit;
        }
        return Printable(ToUtf8(units), 60);
    };
    return " artist=" + text(kTrackArtistOffset) + " title=" + text(kTrackTitleOffset) +
           " album=" + text(kTrackAlbumOffset) + " ms=" + std::to_string(ReadScalar<uint32_t>(r, kTrackLengthOffset)) +
           " track=" + std::to_string(ReadScalar<int32_t>(r, kTrackNumberOffset)) +
           " year=" + std::to_string(ReadScalar<uint16_t>(r, kTrackYearOffset)) +
           " report=" + std::to_string(ReadScalar<uint32_t>(r, kTrackReportWordOffset));
}

void Player::Register() {
    std::vector<uint8_t> record(64, 0);
    WriteScalar<uint32_t>(record, kInitCookieOffset, uint32_t(reinterpret_cast<uintptr_t>(this)));
    WriteScalar<uint32_t>(record, kInitAppProcOffset,
                          uint32_t(reinterpret_cast<uintptr_t>(reinterpret_cast<void*>(&Player::AppProc))));
    Call(true, kCodeInit, record.data(), "");
}

void Player::InitHandler(uint8_t majorVersion, uint8_t minorByte) {
    auto* record = static_cast<uint8_t*>(NewMessageRecord());
    record[kVersionMinorOffset] = minorByte;
    record[kVersionMajorOffset] = majorVersion;
    Call(false, kCodeInit, record,
         " version bytes " + std::to_string(majorVersion) + ", 0x" + [&] {
             char hex[8];
             std::snprintf(hex, sizeof hex, "%02X", minorByte);
             return std::string(hex);
         }());
}

void Player::Init(uint8_t majorVersion, uint8_t minorByte) {
    Register();
    InitHandler(majorVersion, minorByte);
}

void Player::Enable() { Call(false, kCodeEnable, NewMessageRecord(), ""); }
void Player::Hide() { Call(false, kCodeHide, NewMessageRecord(), ""); }
void Player::PlaceWindow() { Call(false, kCodePlace, NewMessageRecord(), ""); }
void Player::Stop() { Call(false, kCodeStop, NewMessageRecord(), ""); }
void Player::Cleanup() {
    Call(true, kCodeCleanup, NewMessageRecord(), "");
    cleanedUp_ = true;
}

void Player::Show() {
    auto* record = static_cast<uint8_t*>(NewMessageRecord());
    std::memcpy(record + kShowWindowOffset, &visualizer_, sizeof visualizer_);
    Call(false, kCodeShow, record, " visualizer window");
}

void Player::PlayRecord(std::vector<uint8_t> track) {
    trackRecord_ = std::move(track);
    auto* record = static_cast<uint8_t*>(NewMessageRecord());
    const void* pointer = trackRecord_.data();
    std::memcpy(record + kPlayTrackOffset, &pointer, sizeof pointer);
    Call(false, kCodePlay, record, TrackText(&trackRecord_));
}

void Player::Play(const std::optional<TrackInfo>& track) {
    if (track) {
        PlayRecord(BuildTrackRecord(*track));
        return;
    }
    Call(false, kCodePlay, NewMessageRecord(), TrackText(nullptr));
}

void Player::ChangeTrack(const std::optional<TrackInfo>& track) {
    auto* record = static_cast<uint8_t*>(NewMessageRecord());
    if (!track) {
        Call(false, kCodeChangeTrack, record, TrackText(nullptr));
        return;
    }
    trackRecord_ = BuildTrackRecord(*track);
    const void* pointer = trackRecord_.data();
    std::memcpy(record + kChangeTrackOffset, &pointer, sizeof pointer);
    Call(false, kCodeChangeTrack, record, TrackText(&trackRecord_));
}

void Player::MoveFrame(int x, int y) {
    SetWindowPos(frame_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    timeline_.Add("player", "frame moved to " + std::to_string(x) + "," + std::to_string(y));
}

void Player::ResizeFrame(int width, int height) {
    SetWindowPos(frame_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    timeline_.Add("player", "frame resized to " + std::to_string(width) + "x" + std::to_string(height));
}

void Player::CloseFrame() {
    if (IsWindow(frame_)) SendMessageW(frame_, WM_CLOSE, 0, 0);
    timeline_.Add("player", IsWindow(frame_) ? "frame still open after WM_CLOSE" : "frame closed");
}

void Player::PumpFor(int ms) {
    LARGE_INTEGER start, now;
    QueryPerformanceCounter(&start);
    MSG msg;
    while (true) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_TIMER && msg.hwnd != frame_ && msg.hwnd != visualizer_) {
                ++foreignTimerMessages_;
            }
            LARGE_INTEGER before, after;
            QueryPerformanceCounter(&before);
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            QueryPerformanceCounter(&after);
            longestDispatchMs_ = std::max(longestDispatchMs_, Milliseconds(before, after));
        }
        QueryPerformanceCounter(&now);
        const double left = ms - Milliseconds(start, now);
        if (left <= 0) break;
        MsgWaitForMultipleObjectsEx(0, nullptr, DWORD(left) + 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

double Player::LongestCallMs() const {
    double longest = 0;
    for (const auto& call : calls_) longest = std::max(longest, call.durationMs);
    return longest;
}

}  // namespace stz::standin
