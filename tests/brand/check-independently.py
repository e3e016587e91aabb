#!/usr/bin/python3
"""Brands both launchers with the tool and reads the results with tools that
know nothing of it: Debian's python3-pefile (headers, checksum, version
strings, icon group, the other sections), icoutils (the icon and its sizes)
and osslsigncode (signing and verifying with a certificate made here).

Usage: check-independently.py <launcher-brand.jar> <work folder> <pictures folder>
"""
import os
import re
import shutil
import subprocess
import sys
import zipfile

import pefile

jar, work, pictures = sys.argv[1:4]
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
env = dict(os.environ, LC_ALL="C.UTF-8")
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def brand(*args):
    return subprocess.run(["java", "-jar", jar, *args], env=env, capture_output=True, text=True)


def path(name):
    return os.path.join(work, name)


with zipfile.ZipFile(jar) as archive:
    for name in ("launcher.exe", "launcher64.exe"):
        with open(path("original-" + name), "wb") as out:
            out.write(archive.read("launcher/brand/" + name))

product = "Łódź Tools 製品"
run = brand("--output", path("Tool.exe"), "--output64", path("Tool64.exe"), "--product-name", product,
            "--product-version", "1.2.3-SNAPSHOT", "--company", "Example Corp", "--copyright", "© 2026",
            "--icon", os.path.join(pictures, "app-256.png"), "--icon", os.path.join(pictures, "app-32.png"),
            "--icon", os.path.join(pictures, "app-16.png"))
check(run.returncode == 0, "the tool brands both launchers: " + run.stderr.strip())

for exe, original, machine in (("Tool.exe", "original-launcher.exe", 0x14C),
                               ("Tool64.exe", "original-launcher64.exe", 0x8664)):
    pe = pefile.PE(path(exe))
    check(pe.FILE_HEADER.Machine == machine, exe + ": machine type")
    check(pe.verify_checksum(), exe + ": pefile finds the header checksum right")
    check(not [w for w in pe.get_warnings() if "overlap" in w.lower() or "invalid" in w.lower()],
          exe + ": pefile warns of nothing broken: " + "; ".join(pe.get_warnings()))
    strings = {}
    for info in getattr(pe, "FileInfo", []):
        for entry in info:
            for table in getattr(entry, "StringTable", []):
                strings.update({k.decode("utf-8"): v.decode("utf-8") for k, v in table.entries.items()})
    check(strings.get("ProductName") == product, exe + ": ProductName " + repr(strings.get("ProductName")))
    check(strings.get("ProductVersion") == "1.2.3-SNAPSHOT", exe + ": ProductVersion")
    check(strings.get("OriginalFilename") == exe, exe + ": OriginalFilename")
    fixed = pe.VS_FIXEDFILEINFO[0]
    check((fixed.FileVersionMS, fixed.FileVersionLS) == (0x10002, 0x30000), exe + ": binary file version 1.2.3.0")
    groups = [t for t in pe.DIRECTORY_ENTRY_RESOURCE.entries if t.id == pefile.RESOURCE_TYPE["RT_GROUP_ICON"]]
    check(len(groups) == 1 and len(groups[0].directory.entries) == 1, exe + ": one icon group")
    old = {s.Name: s.get_data() for s in pefile.PE(path(original)).sections}
    for section in pe.sections:
        if section.Name.rstrip(b"\0") != b".rsrc":
            check(section.get_data() == old[section.Name], exe + ": section " + section.Name.decode().rstrip("\0")
                  + " as in the launcher")

    listing = subprocess.run(["wrestool", "-l", path(exe)], capture_output=True, text=True).stdout
    check("type=group_icon" in listing and listing.count("type=icon ") == 3, exe + ": wrestool lists 3 icons")
    icon = path(exe + ".ico")
    subprocess.run(["wrestool", "-x", "-t", "14", "-o", icon, path(exe)], check=True)
    sizes = sorted(int(w) for w in re.findall(r"--width=(\d+)", subprocess.run(
        ["icotool", "-l", icon], capture_output=True, text=True).stdout))
    check(sizes == [16, 32, 256], exe + ": icotool finds the sizes 16, 32, 256: " + str(sizes))

# Signing comes after branding; a signed launcher is refused unless asked.
key, cert = path("key.pem"), path("cert.pem")
subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                "-days", "2", "-subj", "/CN=Launcher Test Signer"], check=True, capture_output=True)
for exe in ("Tool.exe", "Tool64.exe"):
    signed = path("signed-" + exe)
    sign = subprocess.run(["osslsigncode", "sign", "-certs", cert, "-key", key, "-n", product,
                           "-in", path(exe), "-out", signed], capture_output=True, text=True)
    check(sign.returncode == 0, exe + ": osslsigncode signs it: " + sign.stdout + sign.stderr)
    verify = subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-in", signed], capture_output=True, text=True)
    check(verify.returncode == 0 and "Signature verification: ok" in verify.stdout,
          exe + ": osslsigncode verifies the signature: " + verify.stdout[-400:] + verify.stderr)
    check("MISMATCH" not in verify.stdout.upper(), exe + ": osslsigncode finds the checksum right")
    arch = ["--arch", "x64"] if "64" in exe else []
    again = brand("--launcher", signed, "--output", path("again-" + exe), *arch)
    check(again.returncode == 1 and "signed" in again.stderr and not os.path.exists(path("again-" + exe)),
          exe + ": a signed launcher is refused: " + again.stderr.strip())
    again = brand("--launcher", signed, "--output", path("again-" + exe), "--remove-signature", *arch)
    check(again.returncode == 0, exe + ": with --remove-signature it is branded: " + again.stderr.strip())
    unsigned = pefile.PE(path("again-" + exe))
    security = unsigned.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_SECURITY"]]
    check(security.Size == 0 and unsigned.verify_checksum(), exe + ": the signature is gone, the checksum right")
    resign = subprocess.run(["osslsigncode", "sign", "-certs", cert, "-key", key, "-in", path("again-" + exe),
                             "-out", path("resigned-" + exe)], capture_output=True, text=True)
    verify = subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-in", path("resigned-" + exe)],
                            capture_output=True, text=True)
    check(resign.returncode == 0 and verify.returncode == 0, exe + ": and signed again")

print("%d failed" % len(failures) if failures else "all passed")
sys.exit(1 if failures else 0)
