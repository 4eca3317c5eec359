# SPDX-License-Identifier: GPL-3.0-or-later
"""What the accessibility tests share: a data file and settings of their own,
the real program started in a scratch folder, its tree on the accessibility
bus as a screen reader reads it, keys from the X server, and bounded waits."""
import os
import subprocess
import sys
import time

import gi

gi.require_version('Atspi', '2.0')
from gi.repository import Atspi, GLib  # noqa: E402
import pyatspi  # noqa: E402

RECORD = 764
# Offset of the length byte and the longest text of each field, in record order.
LAYOUT = {
    'FirstName': (0, 30), 'LastName': (31, 30), 'Organisation': (62, 50),
    'Address1': (113, 60), 'City': (174, 30), 'Zip': (205, 12), 'State': (218, 30),
    'Country': (249, 30), 'Phone1': (280, 30), 'Phone2': (311, 30), 'Cell': (342, 30),
    'Phone3': (373, 30), 'Email': (404, 40), 'Comment': (445, 200), 'Birth': (646, 8),
    'Status': (655, 15), 'Protection': (702, 30),
}
TITLE = 'Vellora Carnetique 97'
# Roles a user acts on: each needs a name a person would say.
INTERACTIVE = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_TEXT,
    pyatspi.ROLE_ENTRY, pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_LIST, pyatspi.ROLE_LIST_ITEM,
    pyatspi.ROLE_PAGE_TAB, pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_MENU_ITEM,
    pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE,
}


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def record(**fields):
    data = bytearray(RECORD)
    for name, text in fields.items():
        offset, longest = LAYOUT[name]
        raw = text.encode('cp1252')[:longest]
        data[offset] = len(raw)
        data[offset + 1:offset + 1 + len(raw)] = raw
    return bytes(data)


def write_data_file(path, contacts, protected=False):
    header = record(FirstName='Beta3', LastName='Vellora Softwares')
    with open(path, 'wb') as f:
        f.write(header + b''.join(record(**c) for c in contacts))


def live_records(path):
    """The last names of the records that are not deleted, in file order."""
    data = open(path, 'rb').read()
    names = []
    for i in range(1, len(data) // RECORD):
        r = data[i * RECORD:(i + 1) * RECORD]
        last = r[32:32 + r[31]].decode('cp1252')
        if last != '@~':
            names.append(last)
    return names


def write_language(code):
    folder = os.path.join(os.environ['XDG_CONFIG_HOME'], 'vellora-carnetique-97')
    os.makedirs(folder, exist_ok=True)
    key = 'HKEY_LOCAL_MACHINE\\SOFTWARE\\Vellora Softwares\\Vellora Carnetique 97\\v1.0'
    with open(os.path.join(folder, 'registry.reg'), 'w') as f:
        f.write('REGEDIT4\n\n[%s]\n"Language"=dword:%08x\n\n' % (key, code))


def pump():
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass


def wait_for(condition, what, timeout=30.0):
    """Waits until condition() gives something true, and returns it."""
    end = time.monotonic() + timeout
    while True:
        pump()
        try:
            value = condition()
        except GLib.Error:
            value = None  # an object that went away while it was read
        if value:
            return value
        if time.monotonic() > end:
            raise Failure('timed out waiting for ' + what)
        time.sleep(0.02)


def xdo(*args):
    subprocess.run(['xdotool', *args], check=True)


def key(*keys):
    xdo('key', '--clearmodifiers', *keys)


def type_text(text):
    xdo('type', '--delay', '10', text)


class Program:
    """The real program, started in the current folder."""

    def __init__(self, binary):
        self.log = open('program.log', 'w')
        self.process = subprocess.Popen([binary], stdout=self.log, stderr=self.log)
        try:
            self.app = wait_for(self._application, 'the program on the accessibility bus')
        except Failure:
            desktop = pyatspi.Registry.getDesktop(0)
            apps = ['%s (%s)' % (a.name, a.get_process_id()) for a in desktop if a is not None]
            self.end()
            raise Failure('the program is not among %s; it said: %s' % (
                apps, open('program.log').read()))

    def _application(self):
        desktop = pyatspi.Registry.getDesktop(0)
        # Asked afresh: a list read before the program came may be kept.
        desktop.clear_cache()
        for app in desktop:
            if app is not None and app.get_process_id() == self.process.pid:
                return app
        return None

    def window(self, name, roles=(pyatspi.ROLE_FRAME, pyatspi.ROLE_DIALOG)):
        """A showing top-level window of the program with this name."""
        def find():
            for w in self.app:
                if w is not None and w.name == name and w.getRole() in roles and \
                        has_state(w, pyatspi.STATE_SHOWING):
                    return w
            return None
        try:
            return wait_for(find, 'the window "%s"' % name)
        except Failure:
            seen = ['%s "%s"' % (w.getRoleName(), w.name) for w in self.app if w is not None]
            raise Failure('no window "%s" among %s' % (name, seen))

    def end(self):
        if self.process.poll() is None:
            self.process.terminate()
        try:
            self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.log.close()


def descendants(acc):
    """Every object below acc that shows on screen (list rows included)."""
    out = []
    for child in acc:
        if child is None:
            continue
        child.clear_cache()  # states as they are now
        state = child.getState()
        if not state.contains(pyatspi.STATE_SHOWING):
            continue
        out.append(child)
        out.extend(descendants(child))
    return out


def find(root, role, name=None):
    for a in descendants(root):
        if a.getRole() == role and (name is None or a.name == name):
            return a
    return None


def spoken_name(acc):
    """What a reader says a control is: its name, or for a combo box (named
    by its choice on this desktop) the label it is labelled by."""
    if acc.getRole() == pyatspi.ROLE_COMBO_BOX:
        for relation in acc.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY and \
                    relation.getNTargets() > 0:
                return relation.getTarget(0).name
    return acc.name


def unnamed_controls(window):
    return ['%s at %s' % (a.getRoleName(), path_of(a)) for a in descendants(window)
            if a.getRole() in INTERACTIVE and not spoken_name(a).strip()]


def path_of(acc):
    parts = []
    while acc is not None and acc.getRole() != pyatspi.ROLE_APPLICATION:
        parts.append('%s "%s"' % (acc.getRoleName(), acc.name))
        acc = acc.parent
    return ' / '.join(reversed(parts))


def focused(app):
    """The object that holds the keyboard focus, or None."""
    for w in app:
        if w is None or not w.getState().contains(pyatspi.STATE_ACTIVE):
            continue
        for a in [w] + descendants(w):
            if a.getState().contains(pyatspi.STATE_FOCUSED):
                return a
    return None


def has_state(acc, state):
    """The object's state now, not as last read."""
    acc.clear_cache()
    return acc.getState().contains(state)


def text_of(acc):
    t = acc.queryText()
    return t.getText(0, t.characterCount)


def dump(acc, depth=0):
    print('  ' * depth + '%s "%s" %s' % (acc.getRoleName(), acc.name,
                                        acc.getState().getStates()))
    for child in acc:
        if child is not None:
            dump(child, depth + 1)


class Events:
    """Events of the accessibility bus, as a screen reader receives them."""

    def __init__(self, *kinds):
        self.seen = []
        self.sources = []
        self.listener = Atspi.EventListener.new(self._on)
        for kind in kinds:
            self.listener.register(kind)
        self.kinds = kinds

    def _on(self, event):
        try:
            name = event.source.get_name()
        except GLib.Error:
            name = None
        self.seen.append((event.type, name, event.detail1))
        self.sources.append(event.source)

    def wait(self, kind, name, detail1=1):
        return wait_for(lambda: (kind, name, detail1) in self.seen,
                        '%s on "%s" (seen: %s)' % (kind, name, self.seen[-8:]))

    def close(self):
        for kind in self.kinds:
            self.listener.deregister(kind)


def control_of(acc):
    """What a user tabs to: a list for its focused row, a combo box for its edit."""
    parent = acc.parent
    if acc.getRole() == pyatspi.ROLE_LIST_ITEM or (
            parent is not None and parent.getRole() == pyatspi.ROLE_COMBO_BOX):
        return parent
    return acc


def tab_cycle(count):
    """Presses Tab count times; gives the control focused after each press."""
    events = Events('object:state-changed:focused')
    visited = []
    try:
        for _ in range(count):
            before = len(events.seen)
            key('Tab')
            wait_for(lambda: any(e[2] == 1 for e in events.seen[before:]), 'the focus to move')
            # Qt tells a focused row after its list: the last gain is where the focus is.
            gained = [s for e, s in zip(events.seen[before:], events.sources[before:])
                      if e[2] == 1]
            visited.append(control_of(gained[-1]))
    finally:
        events.close()
    return visited


def check_tab_cycle(window_name, expected):
    """Tab visits exactly the expected controls, in that order round the window,
    each showing and enabled."""
    visited = tab_cycle(len(expected))
    for acc in visited:
        state = acc.getState()
        check(state.contains(pyatspi.STATE_SHOWING) and state.contains(pyatspi.STATE_ENABLED),
              '%s: Tab reached "%s", hidden or disabled' % (window_name, acc.name))
    names = [spoken_name(a) for a in visited]
    check(sorted(names) == sorted(expected) and any(
        names == expected[i:] + expected[:i] for i in range(len(expected))),
        '%s: Tab went %s, not round %s' % (window_name, [path_of(a) for a in visited], expected))


def closed(window):
    def hidden():
        try:
            return not has_state(window, pyatspi.STATE_SHOWING)
        except GLib.Error:
            return True  # gone
    return hidden


def open_menu(keys=('Menu',)):
    """The list's menu, opened by the keys (menus are not windows on the bus:
    a reader hears them shown); every entry is named."""
    events = Events('object:state-changed:showing')
    try:
        key(*keys)
        menu = wait_for(lambda: next((s for e, s in zip(events.seen, events.sources)
                                      if e[2] == 1 and s.getRole() == pyatspi.ROLE_POPUP_MENU),
                                     None), 'a menu after %s' % '+'.join(keys))
    finally:
        events.close()
    entries = [item for item in menu if item.getRole() == pyatspi.ROLE_MENU_ITEM]
    check(entries and all(item.name.strip() for item in entries),
          'menu entries %s' % [item.name for item in entries])
    return menu


def close_menu(menu):
    key('Escape')
    wait_for(closed(menu), 'the menu to close')


def choose(name):
    """Opens the list's menu and goes down to the entry by the arrow keys."""
    menu = open_menu()
    entry = next((item for item in menu if item.name == name), None)
    check(entry is not None, 'no entry "%s" in %s' % (name, [item.name for item in menu]))

    def current():
        return [item.name for item in menu if has_state(item, pyatspi.STATE_FOCUSED)]
    for _ in range(menu.childCount):
        if has_state(entry, pyatspi.STATE_FOCUSED):
            key('Return')
            return
        before = current()
        key('Down')
        wait_for(lambda: current() not in ([], before), 'the menu to move past %s' % before)
    raise Failure('the arrows never reached "%s"' % name)


def run_in_both_languages(session, done):
    """Runs session(binary, language) for English then French, each in a
    folder of its own, and says `done` when both pass; a failure ends the
    program with its reason."""
    try:
        binary = sys.argv[1]
        for language in (0, 1):
            folder = 'lang%d' % language
            os.makedirs(folder)
            os.chdir(folder)
            print('language %d' % language, flush=True)
            session(binary, language)
            os.chdir('..')
        print(done)
    except Failure as failure:
        print('FAIL: %s' % failure, file=sys.stderr)
        sys.exit(1)
