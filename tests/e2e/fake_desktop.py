#!/usr/bin/python3
"""The GlobalShortcuts portal (`portal`; SIGUSR1 activates the first bound shortcut) or a StatusNotifierItem
watcher with a host (`watcher`) after their documented D-Bus interfaces; each call printed as a JSON line."""
import json
import signal
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

DESKTOP, SHORTCUTS = "/org/freedesktop/portal/desktop", "org.freedesktop.portal.GlobalShortcuts"
PROPS, WATCHER = "org.freedesktop.DBus.Properties", "org.kde.StatusNotifierWatcher"
PROPERTIES = {SHORTCUTS: {"version": dbus.UInt32(1)},
              WATCHER: {"RegisteredStatusNotifierItems": dbus.Array([], "s"), "IsStatusNotifierHostRegistered": True,
                        "ProtocolVersion": dbus.Int32(0)}}


def log(**entry):
    print(json.dumps(entry, ensure_ascii=False), flush=True)


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, code, results):
        pass


class Service(dbus.service.Object):
    bound = None

    def answer(self, sender, token, results):
        request = Request(self.connection, "%s/request/%s/%s" % (DESKTOP, sender[1:].replace(".", "_"), token))
        GLib.timeout_add(50, lambda: request.Response(0, dbus.Dictionary(results, signature="sv")))
        return request.__dbus_object_path__

    @dbus.service.method(PROPS, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return PROPERTIES[interface][name]

    @dbus.service.method(SHORTCUTS, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender):
        session = "%s/session/%s/%s" % (DESKTOP, sender[1:].replace(".", "_"), options["session_handle_token"])
        log(call="CreateSession", session=session)
        return self.answer(sender, options["handle_token"], {"session_handle": dbus.ObjectPath(session)})

    @dbus.service.method(SHORTCUTS, in_signature="oa(sa{sv})sa{sv}", out_signature="o", sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent, options, sender):
        log(call="BindShortcuts", session=session, shortcuts=[[i, dict(p)] for i, p in shortcuts])
        Service.bound = Service.bound or (session, shortcuts[0][0])
        return self.answer(sender, options["handle_token"], {"shortcuts": shortcuts})

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Activated(self, session, shortcut, timestamp, options):
        pass

    # Qt reads the watcher's properties through its introspection.
    @dbus.service.method("org.freedesktop.DBus.Introspectable", out_signature="s")
    def Introspect(self):
        return '<node><interface name="%s"><method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/>' \
               '</method>%s</interface></node>' % (WATCHER, "".join(
                   '<property name="%s" type="%s" access="read"/>' % (n, t) for n, t in (
                       ("RegisteredStatusNotifierItems", "as"), ("IsStatusNotifierHostRegistered", "b"),
                       ("ProtocolVersion", "i"))))

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierItem(self, service):
        log(call="RegisterStatusNotifierItem", service=service)


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    portal = sys.argv[1] == "portal"
    name = dbus.service.BusName("org.freedesktop.portal.Desktop" if portal else WATCHER, bus)
    service = Service(bus, DESKTOP if portal else "/StatusNotifierWatcher")
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGUSR1, lambda: service.Activated(
        Service.bound[0], Service.bound[1], dbus.UInt64(0), dbus.Dictionary({}, signature="sv")) or True)
    log(call="ready", name=str(name.get_name()))
    GLib.MainLoop().run()


if __name__ == "__main__":
    main()
