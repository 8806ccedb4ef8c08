# Gives a headless mutter's seat a keyboard: opens a remote-desktop session over the session bus, presses and
# releases Shift through it, says "keyboard" and holds the session (and so the keyboard) until it is killed.
import time

import dbus

SERVICE = "org.gnome.Mutter.RemoteDesktop"
SHIFT_L = 0xFFE1

bus = dbus.SessionBus()
for attempt in range(300):
    try:
        desktop = dbus.Interface(bus.get_object(SERVICE, "/org/gnome/Mutter/RemoteDesktop"), SERVICE)
        path = desktop.CreateSession()
        break
    except dbus.exceptions.DBusException:
        time.sleep(0.1)
else:
    raise SystemExit("mutter offers no remote desktop")
session = dbus.Interface(bus.get_object(SERVICE, path), SERVICE + ".Session")
session.Start()
# The seat gets its keyboard with the first key event, not with the session.
session.NotifyKeyboardKeysym(dbus.UInt32(SHIFT_L), True)
session.NotifyKeyboardKeysym(dbus.UInt32(SHIFT_L), False)
print("keyboard", flush=True)
while True:
    time.sleep(3600)
