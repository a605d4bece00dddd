// The DLL as a COM in-process server, under Wine: its exports, the registry
// effects of registering and unregistering it per machine and per user
// (direct calls and regsvr32), its type library, version block and manifest.
//
// Direct calls run with HKEY_CURRENT_USER and HKEY_CLASSES_ROOT redirected
// to fresh keys of this process, so that each case starts from an empty
// registry and leaves nothing behind. regsvr32 runs in a process of its own
// and writes the prefix's real keys, which its test removes before and after.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The identities only, by path: this test links none of the plug-in's code
// and drives the DLL itself.
#include "../../src/com/com_ids.h"
#include "plugin_path_win32.h"
#include "user_hive_win32.h"

namespace stz {
namespace {

#define STZ_WIDE_(text) L##text
#define STZ_WIDE(text) STZ_WIDE_(text)
constexpr std::wstring_view kAppId = STZ_WIDE(STZ_APPID_TEXT);
constexpr std::wstring_view kLibId = STZ_WIDE(STZ_LIBID_TEXT);

// HRESULTs as the exports' callers know them.
constexpr HRESULT kOk = 0;
constexpr HRESULT kFalse = 1;
constexpr HRESULT kPointer = static_cast<HRESULT>(0x80004003);
constexpr HRESULT kClassNotAvailable = static_cast<HRESULT>(0x80040111);

using CanUnloadNowFunction = HRESULT(WINAPI*)();
using GetClassObjectFunction = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using InstallFunction = HRESULT(WINAPI*)(BOOL, LPCWSTR);
using RegisterFunction = HRESULT(WINAPI*)();

template <class Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The DLL, loaded under its real name for the length of a test.
class LoadedPlugin {
public:
    LoadedPlugin() : path_(standin::DefaultPluginPath()), module_(LoadLibraryW(path_.c_str())) {}
    ~LoadedPlugin() {
        if (module_) FreeLibrary(module_);
    }
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    HMODULE Module() const { return module_; }
    const std::wstring& Path() const { return path_; }

    HRESULT CanUnloadNow() const { return Export<CanUnloadNowFunction>(module_, "DllCanUnloadNow")(); }
    HRESULT GetClassObject(REFCLSID classId, REFIID interfaceId, void** out) const {
        return Export<GetClassObjectFunction>(module_, "DllGetClassObject")(classId, interfaceId, out);
    }
    HRESULT Install(BOOL install, LPCWSTR commandLine) const {
        return Export<InstallFunction>(module_, "DllInstall")(install, commandLine);
    }
    HRESULT RegisterServer() const { return Export<RegisterFunction>(module_, "DllRegisterServer")(); }
    HRESULT UnregisterServer() const { return Export<RegisterFunction>(module_, "DllUnregisterServer")(); }

private:
    std::wstring path_;
    HMODULE module_;
};

// HKEY_CLASSES_ROOT redirected to a fresh key inside the (already
// redirected) current user's hive, which takes it away at the end.
class IsolatedClassesRoot {
public:
    IsolatedClassesRoot() {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, L"IsolatedClassesRoot", 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key_, nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        if (RegOverridePredefKey(HKEY_CLASSES_ROOT, key_) != ERROR_SUCCESS) {
            RegCloseKey(key_);
            key_ = nullptr;
        }
    }
    ~IsolatedClassesRoot() {
        if (!key_) return;
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        RegCloseKey(key_);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"IsolatedClassesRoot");
        RegDeleteKeyW(HKEY_CURRENT_USER, L"IsolatedClassesRoot");
    }
    IsolatedClassesRoot(const IsolatedClassesRoot&) = delete;
    IsolatedClassesRoot& operator=(const IsolatedClassesRoot&) = delete;

    bool Active() const { return key_ != nullptr; }

private:
    HKEY key_ = nullptr;
};

// Both redirections, made fresh for each case and undone after it.
struct IsolatedRegistry {
    standin::IsolatedUserHive userHive;
    IsolatedClassesRoot classesRoot;
    bool Active() const { return userHive.Active() && classesRoot.Active(); }
};

// A whole subtree as sorted lines, "path" for a key and "path : name =
// TYPE data" for a value ("@" names the default value); empty when the key
// does not exist.
void Describe(HKEY key, const std::wstring& path, std::vector<std::wstring>& out) {
    out.push_back(path);
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        BYTE data[1024];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
        std::wstring line = path + L" : " + (nameLength ? std::wstring(name, nameLength) : L"@") + L" = ";
        if (type == REG_SZ) {
            line += L"REG_SZ " + std::wstring(reinterpret_cast<const wchar_t*>(data), dataSize / sizeof(wchar_t));
        } else if (type == REG_DWORD) {
            line += L"REG_DWORD " + std::to_wstring(*reinterpret_cast<const DWORD*>(data));
        } else {
            line += L"type " + std::to_wstring(type);
        }
        out.push_back(line);
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY sub = nullptr;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
        Describe(sub, path + L"\\" + name, out);
        RegCloseKey(sub);
    }
}

std::vector<std::wstring> Tree(HKEY root, const std::wstring& path) {
    std::vector<std::wstring> out;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return out;
    Describe(key, path, out);
    RegCloseKey(key);
    // Strings carry their terminating zero as stored; drop it for reading.
    for (std::wstring& line : out) {
        while (!line.empty() && line.back() == L'\0') line.pop_back();
    }
    std::sort(out.begin(), out.end());
    return out;
}

// What registration writes under the classes root it works in: the AppID
// script of resource 101 (checked byte for byte below), carried out.
std::vector<std::wstring> RegisteredAppIdTree() {
    const std::wstring appId(kAppId);
    std::vector<std::wstring> lines = {
        L"AppID",
        L"AppID\\" + appId,
        L"AppID\\" + appId + L" : @ = REG_SZ itw_stanzascopium",
        L"AppID\\itw_stanzascopium.DLL",
        L"AppID\\itw_stanzascopium.DLL : AppID = REG_SZ " + appId,
    };
    std::sort(lines.begin(), lines.end());
    return lines;
}

// What unregistration leaves: the AppID key itself, empty.
const std::vector<std::wstring> kUnregisteredAppIdTree = {L"AppID"};

const std::wstring kUserClasses = L"Software\\Classes";
const std::wstring kLibraryVersionKey = L"TypeLib\\" + std::wstring(kLibId) + L"\\1.0";

GUID LibraryId() {
    GUID id{};
    CLSIDFromString(std::wstring(kLibId).c_str(), &id);
    return id;
}

// The path the system finds registered for our type library, if any.
std::optional<std::wstring> RegisteredLibraryPath() {
    BSTR path = nullptr;
    if (FAILED(QueryPathOfRegTypeLib(LibraryId(), 1, 0, LOCALE_NEUTRAL, &path))) return std::nullopt;
    std::wstring text(path, SysStringLen(path));
    SysFreeString(path);
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// --- exports -----------------------------------------------------------------

TEST(ComServer, ExportsTheFiveServerFunctionsAtTheirOrdinals) {
    LoadedPlugin plugin;
    ASSERT_TRUE(plugin.Module());
    const struct {
        WORD ordinal;
        const char* name;
    } exports[] = {{1, "DllCanUnloadNow"},   {2, "DllGetClassObject"},   {3, "DllInstall"},
                   {4, "DllRegisterServer"}, {5, "DllUnregisterServer"}, {6, "iTunesPluginMain"}};
    for (const auto& e : exports) {
        const FARPROC byName = GetProcAddress(plugin.Module(), e.name);
        EXPECT_NE(byName, nullptr) << e.name;
        EXPECT_EQ(GetProcAddress(plugin.Module(), MAKEINTRESOURCEA(e.ordinal)), byName) << e.name;
    }
}

TEST(ComServer, ServesNoClassAndMayBeUnloadedWithNothingAlive) {
    LoadedPlugin plugin;
    ASSERT_TRUE(plugin.Module());
    EXPECT_EQ(plugin.CanUnloadNow(), kOk);

    const IID kClassFactory = {0x00000001, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    const IID kUnknown = {0x00000000, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    const CLSID kWebBrowser = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};
    const CLSID kGlobalInterfaceTable = {0x00000323, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    GUID appId{};
    CLSIDFromString(std::wstring(kAppId).c_str(), &appId);
    const CLSID classIds[] = {GUID{}, appId, LibraryId(), kWebBrowser, kGlobalInterfaceTable};
    for (const CLSID& classId : classIds) {
        for (const IID* interfaceId : {&kClassFactory, &kUnknown}) {
            void* out = reinterpret_cast<void*>(0x1234);  // must be cleared
            EXPECT_EQ(plugin.GetClassObject(classId, *interfaceId, &out), kClassNotAvailable);
            EXPECT_EQ(out, nullptr);
        }
        EXPECT_EQ(plugin.GetClassObject(classId, kClassFactory, nullptr), kPointer);
    }
    // Asking created nothing that holds the module.
    EXPECT_EQ(plugin.CanUnloadNow(), kOk);
}

// --- resources ---------------------------------------------------------------

TEST(ComServer, CarriesTheAppIdScriptByteForByte) {
    LoadedPlugin plugin;
    ASSERT_TRUE(plugin.Module());
    const HRSRC resource = FindResourceW(plugin.Module(), MAKEINTRESOURCEW(101), L"REGISTRY");
    ASSERT_NE(resource, nullptr);
    const char* data = static_cast<const char*>(LockResource(LoadResource(plugin.Module(), resource)));
    ASSERT_NE(data, nullptr);
    const std::string_view script(data, SizeofResource(plugin.Module(), resource));
    EXPECT_EQ(script,
              "HKCR\r\n"
              "{\r\n"
              "\tNoRemove AppID\r\n"
              "\t{\r\n"
              "\t\t'%APPID%' = s 'itw_stanzascopium'\r\n"
              "\t\t'itw_stanzascopium.DLL'\r\n"
              "\t\t{\r\n"
              "\t\t\tval AppID = s '%APPID%'\r\n"
              "\t\t}\r\n"
              "\t}\r\n"
              "}\r\n");
}

TEST(ComServer, TypeLibraryIsTheEmptyLibraryOfTheProduct) {
    LoadedPlugin plugin;
    ASSERT_TRUE(plugin.Module());
    ITypeLib* library = nullptr;
    ASSERT_EQ(LoadTypeLibEx(plugin.Path().c_str(), REGKIND_NONE, &library), S_OK);
    BSTR name = nullptr;
    BSTR help = nullptr;
    ASSERT_EQ(library->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
    EXPECT_EQ(std::wstring(name ? name : L""), L"itw_stanzascopiumLib");
    EXPECT_EQ(std::wstring(help ? help : L""), L"itw_stanzascopium 1.0 Type Library");
    SysFreeString(name);
    SysFreeString(help);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, LibraryId()));
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    EXPECT_EQ(attributes->syskind, SYS_WIN32);
    library->ReleaseTLibAttr(attributes);
    EXPECT_EQ(library->GetTypeInfoCount(), 0u);  // describes no type
    library->Release();
}

TEST(ComServer, VersionBlockAndManifestReadBackFromTheFile) {
    LoadedPlugin plugin;
    ASSERT_TRUE(plugin.Module());

    // The version functions, looked up so that the test needs no further
    // import library.
    const HMODULE version = LoadLibraryW(L"version.dll");
    ASSERT_NE(version, nullptr);
    using SizeFunction = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
    using InfoFunction = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
    using QueryFunction = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
    const auto infoSize = Export<SizeFunction>(version, "GetFileVersionInfoSizeW");
    const auto info = Export<InfoFunction>(version, "GetFileVersionInfoW");
    const auto query = Export<QueryFunction>(version, "VerQueryValueW");
    ASSERT_TRUE(infoSize && info && query);

    DWORD handle = 0;
    std::vector<BYTE> block(infoSize(plugin.Path().c_str(), &handle));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(info(plugin.Path().c_str(), 0, static_cast<DWORD>(block.size()), block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(query(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    ASSERT_GE(size, sizeof *fixed);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    // 0.4.0.0: major 0 and minor 4 in the high word, 0 and 0 in the low.
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00000004u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00000004u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

    WORD* translation = nullptr;
    ASSERT_TRUE(query(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &size));
    ASSERT_EQ(size, 4u);
    EXPECT_EQ(translation[0], 0x0409);  // US English
    EXPECT_EQ(translation[1], 1252);

    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } strings[] = {
        {L"CompanyName", L"Stanzascopium"},
        {L"FileDescription", L"Stanzascopium for iTunes"},
        {L"FileVersion", L"0.4"},
        {L"InternalName", L"itw_stanzascopium.dll"},
        {L"OriginalFilename", L"itw_stanzascopium.dll"},
        {L"ProductName", L"Stanzascopium for iTunes"},
        {L"ProductVersion", L"0.4"},
    };
    for (const auto& s : strings) {
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904E4\\") + s.name;
        wchar_t* value = nullptr;
        ASSERT_TRUE(query(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &size)) << s.name;
        EXPECT_EQ(std::wstring(value), s.value) << s.name;
    }
    FreeLibrary(version);

    // The manifest of a DLL: resource type 24, number 2.
    const HRSRC manifest = FindResourceW(plugin.Module(), MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(24));
    ASSERT_NE(manifest, nullptr);
    const char* text = static_cast<const char*>(LockResource(LoadResource(plugin.Module(), manifest)));
    ASSERT_NE(text, nullptr);
    const std::string_view xml(text, SizeofResource(plugin.Module(), manifest));
    EXPECT_NE(xml.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"), std::string_view::npos)
        << xml;
}

// --- registration by direct calls -----------------------------------------------

TEST(ComServer, RegistersAndUnregistersPerMachine) {
    IsolatedRegistry registry;
    ASSERT_TRUE(registry.Active());
    LoadedPlugin plugin;
    ASSERT_TRUE(plugin.Module());

    // The caller's locale is its own again afterwards.
    const LCID german = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);
    ASSERT_TRUE(SetThreadLocale(german));

    ASSERT_EQ(plugin.RegisterServer(), kOk);
    EXPECT_EQ(GetThreadLocale(), german);
    EXPECT_EQ(Tree(HKEY_CLASSES_ROOT, L"AppID"), RegisteredAppIdTree());
    EXPECT_EQ(Tree(HKEY_CURRENT_USER, kUserClasses), std::vector<std::wstring>{});  // nothing per user
    const std::optional<std::wstring> libraryPath = RegisteredLibraryPath();
    ASSERT_TRUE(libraryPath);
    EXPECT_TRUE(SamePath(*libraryPath, plugin.Path())) << *libraryPath;

    ASSERT_EQ(plugin.UnregisterServer(), kOk);
    EXPECT_EQ(GetThreadLocale(), german);
    EXPECT_EQ(Tree(HKEY_CLASSES_ROOT, L"AppID"), kUnregisteredAppIdTree);
    EXPECT_FALSE(RegisteredLibraryPath());
    EXPECT_EQ(Tree(HKEY_CLASSES_ROOT, kLibraryVersionKey), std::vector<std::wstring>{});

    // Once more: nothing left to remove is no failure.
    EXPECT_EQ(plugin.UnregisterServer(), kOk);
    EXPECT_EQ(Tree(HKEY_CLASSES_ROOT, L"AppID"), kUnregisteredAppIdTree);
    EXPECT_EQ(plugin.CanUnloadNow(), kOk);
}

TEST(ComServer, InstallChoosesUserOrMachineByItsCommandLine) {
    LoadedPlugin plugin;
    ASSERT_TRUE(plugin.Module());
    // The DLL stays loaded across the cases: a per-user install must not
    // make the ones after it per user too.
    const struct {
        const wchar_t* commandLine;
        bool perUser;
    } cases[] = {
        {L"USER", true}, {L"users", false}, {L"user ", false}, {nullptr, false}, {L"user", true}, {L"", false},
    };
    for (const auto& c : cases) {
        const std::wstring label = c.commandLine ? L"\"" + std::wstring(c.commandLine) + L"\"" : L"null";
        IsolatedRegistry registry;
        ASSERT_TRUE(registry.Active());
        ASSERT_EQ(plugin.Install(TRUE, c.commandLine), kOk) << label;
        const std::vector<std::wstring> perUser = Tree(HKEY_CURRENT_USER, kUserClasses + L"\\AppID");
        const std::vector<std::wstring> perMachine = Tree(HKEY_CLASSES_ROOT, L"AppID");
        std::vector<std::wstring> expectedPerUser;
        for (const std::wstring& line : RegisteredAppIdTree()) expectedPerUser.push_back(kUserClasses + L"\\" + line);
        if (c.perUser) {
            EXPECT_EQ(perUser, expectedPerUser) << label;
            EXPECT_EQ(perMachine, std::vector<std::wstring>{}) << label;
        } else {
            EXPECT_EQ(perUser, std::vector<std::wstring>{}) << label;
            EXPECT_EQ(perMachine, RegisteredAppIdTree()) << label;
        }
        // Wine's per-user type-library function registers for the machine;
        // either way the system now finds our library.
        EXPECT_TRUE(RegisteredLibraryPath()) << label;
    }
}

TEST(ComServer, UninstallPerUserRemovesTheUserEntriesAndRegistersNothing) {
    IsolatedRegistry registry;
    ASSERT_TRUE(registry.Active());
    LoadedPlugin plugin;
    ASSERT_TRUE(plugin.Module());
    ASSERT_EQ(plugin.Install(TRUE, L"user"), kOk);
    ASSERT_EQ(plugin.Install(FALSE, L"user"), kOk);
    EXPECT_EQ(Tree(HKEY_CURRENT_USER, kUserClasses + L"\\AppID"),
              std::vector<std::wstring>{kUserClasses + L"\\AppID"});
    EXPECT_EQ(Tree(HKEY_CLASSES_ROOT, L"AppID"), std::vector<std::wstring>{});
    EXPECT_FALSE(RegisteredLibraryPath());
}

// A key that cannot hold lasting subkeys: the system refuses to make the
// type library's keys under it, so registration fails after the script.
void BlockTypeLibraryKeys() {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, L"TypeLib", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST(ComServer, FailedInstallIsRolledBackButFailedRegistrationIsNot) {
    LoadedPlugin plugin;
    ASSERT_TRUE(plugin.Module());
    {
        // DllRegisterServer answers the failure and leaves what it wrote.
        IsolatedRegistry registry;
        ASSERT_TRUE(registry.Active());
        BlockTypeLibraryKeys();
        EXPECT_LT(plugin.RegisterServer(), 0);
        EXPECT_EQ(Tree(HKEY_CLASSES_ROOT, L"AppID"), RegisteredAppIdTree());
        // Unregistration still clears it, though no library was registered.
        EXPECT_EQ(plugin.UnregisterServer(), kOk);
        EXPECT_EQ(Tree(HKEY_CLASSES_ROOT, L"AppID"), kUnregisteredAppIdTree);
    }
    for (const wchar_t* commandLine : {static_cast<const wchar_t*>(nullptr), L"user"}) {
        // DllInstall answers the failure and takes back what it wrote.
        IsolatedRegistry registry;
        ASSERT_TRUE(registry.Active());
        BlockTypeLibraryKeys();
        EXPECT_LT(plugin.Install(TRUE, commandLine), 0);
        const std::wstring appIdKey = commandLine ? kUserClasses + L"\\AppID" : L"AppID";
        const HKEY root = commandLine ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT;
        EXPECT_EQ(Tree(root, appIdKey), std::vector<std::wstring>{appIdKey});
        EXPECT_FALSE(RegisteredLibraryPath());
    }
}

// --- registration through regsvr32 ---------------------------------------------

// Removes what registration may have left in the prefix's real registry.
void RemoveRealRegistration() {
    for (const HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        const std::wstring classes = L"Software\\Classes\\";
        RegDeleteTreeW(root, (classes + L"AppID\\" + std::wstring(kAppId)).c_str());
        RegDeleteTreeW(root, (classes + L"AppID\\itw_stanzascopium.DLL").c_str());
        RegDeleteTreeW(root, (classes + L"TypeLib\\" + std::wstring(kLibId)).c_str());
    }
}

bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

struct RealRegistrationCleanup {
    RealRegistrationCleanup() { RemoveRealRegistration(); }
    ~RealRegistrationCleanup() { RemoveRealRegistration(); }
};

// regsvr32's exit code, or -1 when it could not be run or did not end.
int RunRegsvr32(const std::wstring& options, const std::wstring& dllPath) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(system) + L"\\regsvr32.exe\" /s " + options + L" \"" +
                               dllPath + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return -1;
    }
    int result = -1;
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        result = static_cast<int>(code);
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

TEST(ComServer, Regsvr32RegistersAndUnregistersPerMachineAndPerUser) {
    const std::wstring dll = standin::DefaultPluginPath();
    // The same path under either root.
    const std::wstring machineAppId = L"Software\\Classes\\AppID";
    const std::wstring& userAppId = machineAppId;
    // The key is kept on unregistration, so whether it exists beforehand
    // depends on the prefix; only our entries come and go.
    const auto ours = [](HKEY root, const std::wstring& key) {
        std::vector<std::wstring> lines;
        for (const std::wstring& line : Tree(root, key)) {
            if (line.find(std::wstring(kAppId)) != std::wstring::npos ||
                line.find(L"itw_stanzascopium.DLL") != std::wstring::npos) {
                lines.push_back(line);
            }
        }
        return lines;
    };
    std::vector<std::wstring> registered;
    for (const std::wstring& line : RegisteredAppIdTree()) {
        if (line != L"AppID") registered.push_back(L"Software\\Classes\\" + line);
    }
    RealRegistrationCleanup cleanup;

    ASSERT_EQ(RunRegsvr32(L"", dll), 0);
    EXPECT_EQ(ours(HKEY_LOCAL_MACHINE, machineAppId), registered);
    EXPECT_EQ(ours(HKEY_CURRENT_USER, userAppId), std::vector<std::wstring>{});
    EXPECT_TRUE(RegisteredLibraryPath());

    ASSERT_EQ(RunRegsvr32(L"/u", dll), 0);
    EXPECT_EQ(ours(HKEY_LOCAL_MACHINE, machineAppId), std::vector<std::wstring>{});
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, machineAppId));  // the key itself stays
    EXPECT_FALSE(RegisteredLibraryPath());

    ASSERT_EQ(RunRegsvr32(L"/n /i:user", dll), 0);
    EXPECT_EQ(ours(HKEY_CURRENT_USER, userAppId), registered);
    EXPECT_EQ(ours(HKEY_LOCAL_MACHINE, machineAppId), std::vector<std::wstring>{});

    ASSERT_EQ(RunRegsvr32(L"/u /n /i:user", dll), 0);
    EXPECT_EQ(ours(HKEY_CURRENT_USER, userAppId), std::vector<std::wstring>{});
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, userAppId));
    EXPECT_FALSE(RegisteredLibraryPath());
}

}  // namespace
}  // namespace stz
