// Starts ROTEKA from the Start menu. ROTEKA keeps its settings in ROTEKA.DAT in the current
// directory, which for a shortcut would be one directory for every user of the computer (and
// the program's own folder is not writable); this launcher gives each user a directory of
// their own instead: %LOCALAPPDATA%\ROTEKA, created on the first start. It starts the
// roteka.exe beside it there, with the arguments it was given, and does not wait for it.
#include <windows.h>

#include <shlobj.h>

#include <string>

namespace {

const wchar_t* const Title = L"ROTEKA";

int fail(const std::wstring& what, DWORD code) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = what;
    if (text) {
        message += L"\n\n";
        message += text;
        LocalFree(text);
    }
    MessageBoxW(nullptr, message.c_str(), Title, MB_OK | MB_ICONERROR);
    return 1;
}

// The command line after the program's own name, as it was given.
const wchar_t* passedArguments() {
    const wchar_t* p = GetCommandLineW();
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"')
            ++p;
        if (*p)
            ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t')
            ++p;
    }
    while (*p == L' ' || *p == L'\t')
        ++p;
    return p;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    wchar_t local[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                SHGFP_TYPE_CURRENT, local)))
        return fail(L"The per-user application data folder is not available.", GetLastError());
    const std::wstring directory = std::wstring(local) + L"\\ROTEKA";
    if (!CreateDirectoryW(directory.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return fail(L"Cannot create " + directory, GetLastError());

    std::wstring self(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    if (length == 0 || length >= self.size())
        return fail(L"Cannot find the program's folder.", GetLastError());
    self.resize(length);
    const std::wstring program = self.substr(0, self.find_last_of(L'\\') + 1) + L"roteka.exe";

    std::wstring commandLine = L"\"" + program + L"\" " + passedArguments();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.c_str(), &startup, &process))
        return fail(L"Cannot start " + program, GetLastError());
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}
