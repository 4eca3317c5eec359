# SPDX-License-Identifier: GPL-3.0-or-later
'''A ModemManager stand-in for the telephony tests (a python-dbusmock template).

Voice modems are added and removed by the test; their calls record what is asked of them and
change state only when the test says so (except Hangup, which ends the call as a modem does).
'''

import dbus

from dbusmock import MOCK_IFACE

BUS_NAME = 'org.freedesktop.ModemManager1'
MAIN_OBJ = '/org/freedesktop/ModemManager1'
MAIN_IFACE = 'org.freedesktop.ModemManager1'
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True

VOICE_IFACE = 'org.freedesktop.ModemManager1.Modem.Voice'
MODEM_IFACE = 'org.freedesktop.ModemManager1.Modem'
CALL_IFACE = 'org.freedesktop.ModemManager1.Call'

# Code run inside the mock objects' methods; "objects" and "self" are given by dbusmock.
CREATE_CALL = '''
mgr = objects['/org/freedesktop/ModemManager1']
mgr.journal.append('CreateCall %s number=[%s]' % (self.path, args[0].get('number', '')))
if 'CreateCall' in mgr.failing:
    raise dbus.exceptions.DBusException('not allowed', name='org.freedesktop.ModemManager1.Error.Core.Unauthorized')
mgr.call_count += 1
path = '/org/freedesktop/ModemManager1/Call/%d' % mgr.call_count
mgr.AddObject(path, 'org.freedesktop.ModemManager1.Call',
              {'Number': dbus.String(args[0].get('number', '')), 'State': dbus.Int32(0),
               'StateReason': dbus.Int32(0), 'Direction': dbus.Int32(2)},
              [('Start', '', '', mgr.start_code), ('Hangup', '', '', mgr.hangup_code)])
ret = dbus.ObjectPath(path)
'''

DELETE_CALL = '''
mgr = objects['/org/freedesktop/ModemManager1']
mgr.journal.append('DeleteCall %s' % args[0])
if str(args[0]) in objects:
    mgr.RemoveObject(str(args[0]))
'''

START = '''
mgr = objects['/org/freedesktop/ModemManager1']
mgr.journal.append('Start %s' % self.path)
if 'Start' in mgr.failing:
    raise dbus.exceptions.DBusException('no carrier', name='org.freedesktop.ModemManager1.Error.Connection.NoCarrier')
'''

HANGUP = '''
mgr = objects['/org/freedesktop/ModemManager1']
mgr.journal.append('Hangup %s' % self.path)
if self.props['org.freedesktop.ModemManager1.Call']['State'] == 7:
    raise dbus.exceptions.DBusException('call terminated', name='org.freedesktop.ModemManager1.Error.Core.WrongState')
old = self.props['org.freedesktop.ModemManager1.Call']['State']
self.props['org.freedesktop.ModemManager1.Call']['State'] = dbus.Int32(7)
self.props['org.freedesktop.ModemManager1.Call']['StateReason'] = dbus.Int32(4)
self.EmitSignal('org.freedesktop.ModemManager1.Call', 'StateChanged', 'iiu',
                [dbus.Int32(old), dbus.Int32(7), dbus.UInt32(4)])
'''


def load(mock, parameters):
    mock.journal = []
    mock.failing = set()
    mock.call_count = 0
    mock.start_code = START
    mock.hangup_code = HANGUP


@dbus.service.method(MOCK_IFACE, in_signature='sb', out_signature='')
def AddModem(self, path, voice):
    if voice:
        self.AddObject(path, VOICE_IFACE, {},
                       [('CreateCall', 'a{sv}', 'o', CREATE_CALL), ('DeleteCall', 'o', '', DELETE_CALL)])
    else:
        self.AddObject(path, MODEM_IFACE, {}, [])
    self.object_manager_emit_added(path)


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def RemoveModem(self, path):
    self.object_manager_emit_removed(path)
    self.RemoveObject(path)


@dbus.service.method(MOCK_IFACE, in_signature='siiu', out_signature='')
def EmitCallState(self, path, old, new, reason):
    from dbusmock.mockobject import objects
    call = objects[path]
    call.props[CALL_IFACE]['State'] = dbus.Int32(new)
    call.props[CALL_IFACE]['StateReason'] = dbus.Int32(reason)
    call.EmitSignal(CALL_IFACE, 'StateChanged', 'iiu', [dbus.Int32(old), dbus.Int32(new), dbus.UInt32(reason)])


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def SetFailing(self, method):
    self.failing.add(method)


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='as')
def Journal(self):
    return dbus.Array(self.journal, signature='s')
