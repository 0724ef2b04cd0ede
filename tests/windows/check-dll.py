#!/usr/bin/python3
"""Static checks of a Windows plug-in binary: a DLL for its machine (PE32
i386 or PE32+ x86-64) exporting its format's entry points (VST 2.x:
VSTPluginMain and main; VST3: GetPluginFactory, InitDll and ExitDll),
depending on Windows system libraries only, and carrying the version resource.
  check-dll.py DLL i686|x86_64 vst2|vst3 COMPANY NAME VERSION_SHORT MAJOR MINOR PATCH"""
import sys

import pefile

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll", "oleaut32.dll",
    "comdlg32.dll", "comctl32.dll", "imm32.dll", "shlwapi.dll", "rpcrt4.dll", "winmm.dll", "version.dll",
    "wininet.dll", "ws2_32.dll", "wsock32.dll", "dxgi.dll", "msvcrt.dll", "uuid.dll", "d2d1.dll", "dwrite.dll",
    "d3d11.dll", "dwmapi.dll", "uxtheme.dll", "setupapi.dll", "crypt32.dll", "ntdll.dll", "bcrypt.dll",
}

MACHINES = {
    "i686": ("IMAGE_FILE_MACHINE_I386", pefile.OPTIONAL_HEADER_MAGIC_PE, "machine i386, PE32"),
    "x86_64": ("IMAGE_FILE_MACHINE_AMD64", pefile.OPTIONAL_HEADER_MAGIC_PE_PLUS, "machine x86-64, PE32+"),
}
ENTRY_POINTS = {"vst2": {"VSTPluginMain", "main"}, "vst3": {"GetPluginFactory", "InitDll", "ExitDll"}}

failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


def main():
    if len(sys.argv) != 10 or sys.argv[2] not in MACHINES or sys.argv[3] not in ENTRY_POINTS:
        sys.exit(__doc__)
    path, arch, kind, company, name, short_version = sys.argv[1:7]
    major, minor, patch = (int(x) for x in sys.argv[7:10])
    pe = pefile.PE(path)

    machine, magic, what = MACHINES[arch]
    check(pe.FILE_HEADER.Machine == pefile.MACHINE_TYPE[machine] and pe.OPTIONAL_HEADER.Magic == magic, what)
    check(pe.is_dll(), "a DLL")

    exports = {e.name.decode() for e in pe.DIRECTORY_ENTRY_EXPORT.symbols if e.name} \
        if hasattr(pe, "DIRECTORY_ENTRY_EXPORT") else set()
    wanted = ENTRY_POINTS[kind]
    check(wanted <= exports, "exports %s (found: %s)" % (", ".join(sorted(wanted)), sorted(exports)))

    imports = {entry.dll.decode().lower() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])}
    foreign = sorted(d for d in imports if d not in SYSTEM_DLLS and not d.startswith("api-ms-win-"))
    check(not foreign, "imports Windows system DLLs only (others: %s)" % foreign)

    fixed = pe.VS_FIXEDFILEINFO[0] if hasattr(pe, "VS_FIXEDFILEINFO") else None
    check(fixed is not None, "has a version resource")
    if fixed is None:
        return
    check((fixed.FileVersionMS, fixed.FileVersionLS) == ((major << 16) | minor, patch << 16),
          "file version %d.%d.%d.0" % (major, minor, patch))
    check((fixed.ProductVersionMS, fixed.ProductVersionLS) == (0, 0), "product version 0.0.0.0")

    tables = {}
    translations = []
    for info in pe.FileInfo[0]:
        if info.Key == b"StringFileInfo":
            for table in info.StringTable:
                tables[table.LangID.decode().upper()] = {k.decode(): v.decode() for k, v in table.entries.items()}
        elif info.Key == b"VarFileInfo":
            for var in info.Var:
                translations.append(var.entry.get(b"Translation"))
    expected = {"CompanyName": company, "FileDescription": name, "FileVersion": short_version,
                "ProductName": name, "ProductVersion": short_version}
    check(list(tables) == ["040904E4"], "one string table, \"040904E4\" (found %s)" % list(tables))
    check(tables.get("040904E4") == expected, "strings %s (found %s)" % (expected, tables.get("040904E4")))
    check(translations == ["0x0409 0xfde9"], "translation 0x0409, code page 65001 (found %s)" % translations)


main()
if failures:
    sys.exit("%d check(s) failed" % len(failures))
print("all checks passed")
