# SPDX-License-Identifier: GPL-3.0-or-later
"""The real program without a mouse: Tab goes round every control of each
window in the order they sit on screen, reaching none hidden or disabled;
Escape closes the dialogs; the Menu key and Shift+F10 open the list's menu."""
import sys

from a11y import (TITLE, Events, Failure, Program, check, check_tab_cycle, find, has_state, key, wait_for,
                  write_data_file, write_language)
import pyatspi
from gi.repository import GLib

MAIN = ['Contacts', 'Last Name', 'First Name', 'Organization', 'Address', 'City', 'Zip/Postal',
        'State/Province', 'Country', 'Home Phone', 'Call Home Phone', 'Work Phone',
        'Fax/Data Phone', 'Other Phone', 'E-Mail', 'Status', 'Comments', 'Birthdate']
OPTIONS = ['Save Screen Position', 'Protect Access with a password', 'Select Language',
           'Default City', 'Default State/Province', 'Default Country', 'Save', 'Cancel',
           'About...', 'Remind of birthdays at start-up']
SYNC = ['CardDAV server:', 'User:', 'Password:', 'Test', 'Sync every N minutes', 'Save',
        'Cancel', 'About...', 'Remind of birthdays at start-up']
PRINT = ['Select print format', 'Print', 'Printer Setup', 'Cancel']
DIALER = ['Number to call', 'Call', 'Cancel']
ABOUT = ['Ok', 'http://www.vellora.example/']


def closed(window):
    def hidden():
        try:
            return not has_state(window, pyatspi.STATE_SHOWING)
        except GLib.Error:
            return True  # gone
    return hidden


def menu_opens(keys):
    """The keys open a menu (menus are not windows on the bus: a reader hears
    them shown), and Escape closes it."""
    events = Events('object:state-changed:showing')
    try:
        key(*keys)
        menu = wait_for(lambda: next((s for e, s in zip(events.seen, events.sources)
                                      if e[2] == 1 and s.getRole() == pyatspi.ROLE_POPUP_MENU),
                                     None), 'a menu after %s' % '+'.join(keys))
        key('Escape')
        wait_for(closed(menu), 'the menu to close')
    finally:
        events.close()


def main():
    binary = sys.argv[1]
    write_language(0)
    write_data_file('VCQ97.NAM', [dict(LastName='Smith', FirstName='John', Phone1='555 0100'),
                                  dict(LastName='Adams', FirstName='Ann')])
    program = Program(binary)
    try:
        window = program.window(TITLE, roles=(pyatspi.ROLE_FRAME,))
        lst = wait_for(lambda: find(window, pyatspi.ROLE_LIST, 'Contacts'), 'the list')
        wait_for(lambda: has_state(lst, pyatspi.STATE_FOCUSED), 'the list to take the focus')
        key('End')  # Smith John: his home phone can be dialled
        dial = find(window, pyatspi.ROLE_PUSH_BUTTON, 'Call Home Phone')
        wait_for(lambda: has_state(dial, pyatspi.STATE_ENABLED), 'the dial button')
        check_tab_cycle('main window', MAIN)

        # The list's menu, from the list, by either key.
        menu_opens(['Menu'])
        menu_opens(['shift+F10'])

        key('alt+o')
        options = program.window(TITLE, roles=(pyatspi.ROLE_DIALOG,))
        check_tab_cycle('Options', OPTIONS)
        key('ctrl+Tab')
        wait_for(lambda: find(options, pyatspi.ROLE_TEXT, 'User:'), 'the sync page')
        check_tab_cycle('Options, sync page', SYNC)
        key('ctrl+Tab')
        key('alt+a')
        about = program.window('About Vellora Carnetique 97', roles=(pyatspi.ROLE_DIALOG,))
        check_tab_cycle('About', ABOUT)
        key('Escape')
        wait_for(closed(about), 'About to close on Escape')
        key('Escape')
        wait_for(closed(options), 'Options to close on Escape')

        key('alt+p')
        printing = program.window(TITLE, roles=(pyatspi.ROLE_DIALOG,))
        check_tab_cycle('Print', PRINT)
        key('Escape')
        wait_for(closed(printing), 'Print to close on Escape')

        # The dialer: the dial button takes the focus and Space presses it.
        wait_for(lambda: has_state(window, pyatspi.STATE_ACTIVE), 'the main window')
        dial.queryComponent().grabFocus()
        key('space')
        dialer = program.window('Vellora Quick Dialer', roles=(pyatspi.ROLE_DIALOG,))
        check_tab_cycle('dialer', DIALER)
        key('Escape')
        wait_for(closed(dialer), 'the dialer to close on Escape')
        print('keyboard: every window as expected')
    finally:
        program.end()


if __name__ == '__main__':
    try:
        main()
    except Failure as failure:
        print('FAIL: %s' % failure, file=sys.stderr)
        sys.exit(1)
