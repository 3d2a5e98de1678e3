#include "playlist/file_association.h"

#include <string>
#include <utility>

#include <shlobj.h>
#include <stdio.h>
#include <wchar.h>
#include <wctype.h>

#include "app/app.h"
#include "app/message_box.h"
#include "resources/resource.h"

static struct {
    RegistryWriter Writer;
} R;

RegistryWriter SetRegistryWriter(RegistryWriter writer)
{
    return std::exchange(R.Writer, writer);
}

LONG WriteRegistryValue(HKEY root, const wchar_t* path, const wchar_t* name, DWORD type, const wchar_t* value)
{
    HKEY key;
    LONG result = RegCreateKeyExW(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr);
    if (result != ERROR_SUCCESS)
        return result;
    if (value) {
        DWORD bytes = type == REG_NONE ? 0 : (DWORD)((wcslen(value) + 1) * sizeof(wchar_t));  // with its NUL
        result = RegSetValueExW(key, name, 0, type, (const BYTE*)value, bytes);
    }
    RegCloseKey(key);
    return result;
}

// Writes through HKEY_CLASSES_ROOT; a user without the rights to write there gets the keys in
// the per-user part, which Windows merges into HKEY_CLASSES_ROOT.
static bool WriteClassesValue(const wchar_t* path, const wchar_t* name, DWORD type, const wchar_t* value)
{
    RegistryWriter write = R.Writer ? R.Writer : WriteRegistryValue;
    LONG result = write(HKEY_CLASSES_ROOT, path, name, type, value);
    if (result == ERROR_ACCESS_DENIED) {
        wchar_t userPath[780];
        _snwprintf(userPath, 780, L"Software\\Classes\\%s", path);
        userPath[779] = L'\0';
        result = write(HKEY_CURRENT_USER, userPath, name, type, value);
    }
    return result == ERROR_SUCCESS;
}

struct RegistryWrite {
    const wchar_t* Path;  // a format taking the class name or extension
    const wchar_t* Name;
    DWORD Type;
    const wchar_t* Value;
};

// Writes the rows in order and stops at the first failure (what was written stays).
static int WriteRows(const RegistryWrite* rows, int count, const wchar_t* subject)
{
    for (int i = 0; i < count; i++) {
        wchar_t path[780];
        _snwprintf(path, 780, rows[i].Path, subject);
        path[779] = L'\0';
        if (!WriteClassesValue(path, rows[i].Name, rows[i].Type, rows[i].Value))
            return 0;
    }
    return 1;
}

// OpenWithProgids keeps the player in the shell's "open with" choice even when the user later
// picks another default; other classes listed there stay.
int AddOpenWithClass(const wchar_t* extension, const wchar_t* className)
{
    const RegistryWrite row = {L"%s\\OpenWithProgids", className, REG_NONE, L""};
    return WriteRows(&row, 1, extension);
}

int SetExtensionClass(const wchar_t* extension, const wchar_t* className)
{
    const RegistryWrite row = {L"%s", nullptr, REG_SZ, className};
    return WriteRows(&row, 1, extension) && AddOpenWithClass(extension, className);
}

int RegisterFileClass(const wchar_t* description, const wchar_t* className, const wchar_t* exe)
{
    wchar_t command[780], icon[780];
    _snwprintf(command, 780, L"\"%s\" \"%%1\"", exe);
    _snwprintf(icon, 780, L"%s,0", exe);
    command[779] = icon[779] = L'\0';
    const RegistryWrite rows[] = {
        {L"%s", nullptr, REG_SZ, description},
        {L"%s\\shell", nullptr, REG_SZ, L"open"},
        {L"%s\\shell\\open", nullptr, REG_SZ, nullptr},
        {L"%s\\shell\\open\\command", nullptr, REG_SZ, command},
        {L"%s\\DefaultIcon", nullptr, REG_SZ, icon},
    };
    return WriteRows(rows, 5, className);
}

// The other types the player opens; their extension's default stays the user's.
static const wchar_t* const OpenWithExtensions[] = {
    L".mkv", L".mka", L".webm", L".mov", L".m4v", L".m4a", L".avi", L".wav", L".ts", L".m2ts",
    L".mts", L".mpg", L".mpeg", L".vob", L".mp3", L".flac", L".ogg", L".oga", L".ogv", L".opus",
};

int WriteFileTypes(const wchar_t* exe)
{
    // A path that does not fit the command value writes nothing: no extension is left
    // naming a class that was never written.
    if (!exe || wcslen(exe) >= 520)
        return 0;
    static const UINT Types[3][3] = {
        {IDS_FLV_EXTENSION, IDS_FLV_CLASS, IDS_FLV_TYPE_NAME},
        {IDS_MP4_EXTENSION, IDS_MP4_CLASS, IDS_MP4_TYPE_NAME},
        {IDS_NBL_EXTENSION, IDS_NBL_CLASS, IDS_NBL_TYPE_NAME},
    };
    bool allWritten = true;
    for (const UINT* type : Types) {
        wchar_t extension[256], className[260], description[260];
        LoadText(type[0], extension, 256);
        LoadText(type[1], className, 260);
        LoadText(type[2], description, 260);
        // A type whose extension failed gets no class; the next type is still written.
        if (!SetExtensionClass(extension, className) || !RegisterFileClass(description, className, exe))
            allWritten = false;
    }
    // "nimbrel_mkv", "MKV ファイル" for ".mkv"; the class first, so the list never names a missing one.
    for (const wchar_t* extension : OpenWithExtensions) {
        std::wstring className = L"nimbrel_" + std::wstring(extension + 1), description;
        for (const wchar_t* c = extension + 1; *c; c++)
            description += (wchar_t)towupper(*c);
        description += L" ファイル";
        if (!RegisterFileClass(description.c_str(), className.c_str(), exe) ||
            !AddOpenWithClass(extension, className.c_str()))
            allWritten = false;
    }
    return allWritten;
}

// The running executable's path; null when it does not fit its 520 characters.
static const wchar_t* ExecutablePath(wchar_t (&exe)[520])
{
    DWORD n = GetModuleFileNameW(nullptr, exe, 520);
    return n == 0 || n >= 520 ? nullptr : exe;
}

void RegisterFileTypes()
{
    wchar_t caption[100], text[100], exe[520];
    LoadText(IDS_ASSOC_CAPTION, caption, 100);
    LoadText(IDS_ASSOC_QUESTION, text, 100);
    if (ShowMessageBox(nullptr, text, caption, MB_YESNO) != IDYES)
        return;
    bool allWritten = WriteFileTypes(ExecutablePath(exe));
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);  // icons refresh
    LoadText(allWritten ? IDS_ASSOC_DONE : IDS_ASSOC_FAILED, text, 100);
    ShowMessageBox(nullptr, text, caption, MB_OK);
}
