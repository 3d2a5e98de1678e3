// Registers the player for ".flv", ".mp4" and ".nbl" with the shell, on request, and lists it
// under "Open with" for the other types it plays.
#pragma once
#include <windows.h>

// Command 40031: asks, writes the keys of the types and reports the result.
void RegisterFileTypes();
// Writes them all for the executable at exe; 1 when every write succeeded. Nothing is written
// when exe is null or too long for the command value.
int WriteFileTypes(const wchar_t* exe);
// The extension key's default value is the class, and the class is listed under OpenWithProgids.
int SetExtensionClass(const wchar_t* extension, const wchar_t* className);
// Lists the class under the extension's OpenWithProgids, leaving its default alone.
int AddOpenWithClass(const wchar_t* extension, const wchar_t* className);
// The class key with its description, open command and icon, for the executable at exe.
int RegisterFileClass(const wchar_t* description, const wchar_t* className, const wchar_t* exe);

// Every registry write goes through this: create or open root\path and, when value is not
// null, set its value name (null for the default) of type REG_SZ or REG_NONE (no data).
using RegistryWriter = LONG (*)(HKEY root, const wchar_t* path, const wchar_t* name, DWORD type,
                                const wchar_t* value);
LONG WriteRegistryValue(HKEY root, const wchar_t* path, const wchar_t* name, DWORD type, const wchar_t* value);
// Replaces the writer (null restores WriteRegistryValue), so a test can refuse writes; returns the previous.
RegistryWriter SetRegistryWriter(RegistryWriter writer);
