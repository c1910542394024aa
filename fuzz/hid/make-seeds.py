#!/usr/bin/env python3
"""Writes the seed corpus of the report descriptor fuzzer: descriptors of real
kinds of devices (the same bytes as tests/hid_linux/descriptors.h) and the
keyboard's own composition, a boot keyboard and a vendor collection."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))

BOOT_KEYBOARD = bytes.fromhex(
    "05010906a101050719e029e71500250175019508810295017508810195057501"
    "05081901290591029501750391019506750815002565050719002965810 0c0".replace(" ", ""))
BOOT_MOUSE = bytes.fromhex(
    "05010902a1010901a100050919012903150025019503750181029501750581010501"
    "093009311581257f750895028106c0c0")
WHEEL_MOUSE = bytes.fromhex(
    "05010902a1010901a1000509190129051500250195057501810295017503810105010930"
    "093109381581257f750895038106c0c0")
VENDOR_64 = bytes.fromhex("0600ff0901a101150026ff0075089540090181029540090191 02c0".replace(" ", ""))
KEYBOARD_CONSUMER = bytes.fromhex(
    "05010906a1018501050719e029e7150025017501950881029501750881019506750815002565"
    "190029658100c0050c0901a10185021500 26ff03190 02aff037510950181 00c0".replace(" ", ""))
# The keyboard's application firmware: boot keyboard (id 1) and vendor
# collection with 64-byte reports (id 2).
KEYBOARD_AND_VENDOR = bytes.fromhex(
    "05010906a1018501050719e029e7150025017501950881029501750881019506750815002565"
    "190029658100c0"
    "0600ff0901a101850215 0026ff0075089540090181029540090191 02c0".replace(" ", ""))

SEEDS = {
    "boot-keyboard.bin": BOOT_KEYBOARD,
    "boot-mouse.bin": BOOT_MOUSE,
    "wheel-mouse.bin": WHEEL_MOUSE,
    "vendor-64.bin": VENDOR_64,
    "keyboard-consumer.bin": KEYBOARD_CONSUMER,
    "keyboard-and-vendor.bin": KEYBOARD_AND_VENDOR,
    "long-item.bin": bytes.fromhex("05010906a101fe0210aabb750895018102c0"),
    "push-pop.bin": bytes.fromhex("05010906a1017508950 4a47501950109018102b409028102c0".replace(" ", "")),
}

os.makedirs(os.path.join(HERE, "corpus"), exist_ok=True)
for name, data in SEEDS.items():
    with open(os.path.join(HERE, "corpus", name), "wb") as out:
        out.write(data)
