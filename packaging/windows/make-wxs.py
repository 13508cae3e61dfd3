#!/usr/bin/python3

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Writes the installer's WiX source for the installed folder of chimewick.exe.

Usage: make-wxs.py <folder> <version> <icon> > chimewick.wxs
       (then wixl in the same working folder: the sources are named relative to it, as wixl
       takes no absolute paths)

Every file of the folder is a component of its own, installed under Program Files\\Chimewick
for every user of the computer; a Start-menu entry; and, when msiexec is given AUTOSTART=1,
a start at every user's login. Component ids and GUIDs are derived from the file's path, so a
later version replaces the same components, and an uninstall removes all it installed.
"""

import os
import sys
import uuid
from pathlib import Path
from xml.sax.saxutils import quoteattr

# Fixed for the life of the product: Windows knows an installed Chimewick by it.
UPGRADE_CODE = "6b0f1c1e-5d0a-4d8e-9a53-3c0b6a0e7a41"
NAMESPACE = uuid.UUID(UPGRADE_CODE)
EVENT_SOURCE = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Chimewick"


def ident(kind, path):
    if kind == "file" and path == "chimewick.exe":
        return "file_exe"  # named in the MSI's tables after wixl, too
    return f"{kind}_{uuid.uuid5(NAMESPACE, kind + '/' + path).hex}"


def guid(path):
    return str(uuid.uuid5(NAMESPACE, "component/" + path)).upper()


def folder(root, directory, indent, components):
    lines = []
    for entry in sorted(directory.iterdir()):
        relative = entry.relative_to(root).as_posix()
        if entry.is_dir():
            lines.append(f'{indent}<Directory Id="{ident("dir", relative)}" Name={quoteattr(entry.name)}>')
            lines += folder(root, entry, indent + "  ", components)
            lines.append(f"{indent}</Directory>")
        else:
            component = ident("cmp", relative)
            components.append(component)
            lines.append(f'{indent}<Component Id="{component}" Guid="{guid(relative)}" Win64="yes">')
            lines.append(
                f'{indent}  <File Id="{ident("file", relative)}" Name={quoteattr(entry.name)} '
                f'Source={quoteattr(os.path.relpath(entry))} KeyPath="yes"/>'
            )
            lines.append(f"{indent}</Component>")
    return lines


def main():
    root, version, icon = Path(sys.argv[1]).resolve(), sys.argv[2], Path(sys.argv[3]).resolve()
    if not (root / "chimewick.exe").is_file():
        sys.exit(f"make-wxs: no chimewick.exe in {root}")
    components = []
    files = folder(root, root, " " * 10, components)
    exe = ident("file", "chimewick.exe")
    components += ["cmp_startmenu", "cmp_autostart", "cmp_eventlog"]
    refs = "\n".join(f'      <ComponentRef Id="{c}"/>' for c in components)
    files = "\n".join(files)
    print(f"""<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="*" Name="Chimewick" Language="1033" Version="{version}"
           Manufacturer="Chimewick developers" UpgradeCode="{UPGRADE_CODE}">
    <Package InstallerVersion="500" Compressed="yes" InstallScope="perMachine"
             Description="Chimewick school bells" Manufacturer="Chimewick developers"/>
    <Media Id="1" Cabinet="chimewick.cab" EmbedCab="yes"/>
    <Icon Id="chimewick.ico" SourceFile={quoteattr(os.path.relpath(icon))}/>
    <Property Id="ARPPRODUCTICON" Value="chimewick.ico"/>
    <!-- msiexec /i chimewick.msi AUTOSTART=1: start at every user's login -->
    <Property Id="AUTOSTART" Value="0"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFiles64Folder">
        <Directory Id="INSTALLDIR" Name="Chimewick">
{files}
        </Directory>
      </Directory>
      <Directory Id="ProgramMenuFolder">
        <Component Id="cmp_startmenu" Guid="{guid('startmenu')}" Win64="yes">
          <Shortcut Id="startmenu" Name="Chimewick" Description="School bells"
                    Target="[INSTALLDIR]chimewick.exe" WorkingDirectory="INSTALLDIR"/>
          <RegistryValue Root="HKLM" Key="Software\\Chimewick" Name="StartMenu" Type="integer"
                         Value="1" KeyPath="yes"/>
        </Component>
        <!-- The event log's source: its message file shows each ring's line as its text
             (package-windows.sh makes the file's value expandable and has the key removed) -->
        <Component Id="cmp_eventlog" Guid="{guid('eventlog')}" Win64="yes">
          <RegistryValue Root="HKLM" Key="{EVENT_SOURCE}" Name="EventMessageFile" Type="string"
                         Value="[#{exe}]" KeyPath="yes"/>
          <RegistryValue Root="HKLM" Key="{EVENT_SOURCE}" Name="TypesSupported" Type="integer"
                         Value="7"/>
        </Component>
        <Component Id="cmp_autostart" Guid="{guid('autostart')}" Win64="yes">
          <RegistryValue Root="HKLM" Key="Software\\Microsoft\\Windows\\CurrentVersion\\Run"
                         Name="Chimewick" Type="string" Value="&quot;[#{exe}]&quot;" KeyPath="yes"/>
        </Component>
      </Directory>
    </Directory>
    <Feature Id="Chimewick" Title="Chimewick" Level="1">
{refs}
    </Feature>
  </Product>
</Wix>""")


if __name__ == "__main__":
    main()
