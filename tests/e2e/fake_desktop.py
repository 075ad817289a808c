#!/usr/bin/python3
"""Desktop services on a private session bus, as their documented D-Bus interfaces describe them:
the GlobalShortcuts portal (`portal`) and a StatusNotifierItem watcher with a host (`watcher`).
Every call is printed as one JSON line; SIGUSR1 makes the portal report its first bound shortcut
as activated. The bus is the one in DBUS_SESSION_BUS_ADDRESS."""
import json
import signal
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

DESKTOP = "/org/freedesktop/portal/desktop"
SHORTCUTS = "org.freedesktop.portal.GlobalShortcuts"
WATCHER = "org.kde.StatusNotifierWatcher"
PROPERTIES = "org.freedesktop.DBus.Properties"


def log(**entry):
    print(json.dumps(entry, ensure_ascii=False), flush=True)


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, code, results):
        pass


class Portal(dbus.service.Object):
    bound = None  # (session, shortcut id)

    def answer(self, sender, token, results):
        path = "%s/request/%s/%s" % (DESKTOP, sender[1:].replace(".", "_"), token)
        request = Request(self.connection, path)
        GLib.timeout_add(50, lambda: request.Response(dbus.UInt32(0), dbus.Dictionary(results, signature="sv")))
        return dbus.ObjectPath(path)

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if interface == SHORTCUTS and name == "version":
            return dbus.UInt32(1)
        raise dbus.exceptions.DBusException(name, name="org.freedesktop.DBus.Error.UnknownProperty")

    @dbus.service.method(SHORTCUTS, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender):
        session = "%s/session/%s/%s" % (DESKTOP, sender[1:].replace(".", "_"), options["session_handle_token"])
        log(call="CreateSession", session=session)
        return self.answer(sender, options["handle_token"], {"session_handle": dbus.ObjectPath(session)})

    @dbus.service.method(SHORTCUTS, in_signature="oa(sa{sv})sa{sv}", out_signature="o", sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent, options, sender):
        log(call="BindShortcuts", session=str(session),
            shortcuts=[[str(i), {str(k): str(v) for k, v in p.items()}] for i, p in shortcuts])
        if shortcuts and Portal.bound is None:
            Portal.bound = (session, shortcuts[0][0])
        return self.answer(sender, options["handle_token"], {"shortcuts": shortcuts})

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Activated(self, session, shortcut, timestamp, options):
        pass


class Watcher(dbus.service.Object):
    @dbus.service.method("org.freedesktop.DBus.Introspectable", out_signature="s")
    def Introspect(self):
        return """<node><interface name="org.kde.StatusNotifierWatcher">
<method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
<method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
<property name="RegisteredStatusNotifierItems" type="as" access="read"/>
<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
<property name="ProtocolVersion" type="i" access="read"/>
</interface></node>"""

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.GetAll(interface)[name]

    @dbus.service.method(PROPERTIES, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {"RegisteredStatusNotifierItems": dbus.Array([], signature="s"),
                "IsStatusNotifierHostRegistered": True, "ProtocolVersion": dbus.Int32(0)}

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender):
        log(call="RegisterStatusNotifierItem", service=str(service), sender=str(sender))

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    kept = []
    if "portal" in sys.argv[1:]:
        kept.append(dbus.service.BusName("org.freedesktop.portal.Desktop", bus))
        portal = Portal(bus, DESKTOP)

        def activate():
            if Portal.bound:
                portal.Activated(Portal.bound[0], Portal.bound[1], dbus.UInt64(0), dbus.Dictionary({}, signature="sv"))
                log(call="Activated")
            return True
        GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGUSR1, activate)
    if "watcher" in sys.argv[1:]:
        kept.append(dbus.service.BusName(WATCHER, bus))
        Watcher(bus, "/StatusNotifierWatcher")
    log(call="ready")
    GLib.MainLoop().run()


if __name__ == "__main__":
    main()
