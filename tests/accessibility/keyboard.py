# SPDX-License-Identifier: GPL-3.0-or-later
"""The real program without a mouse: Tab goes round every control of each
window in the order they sit on screen, reaching none hidden or disabled;
Escape closes the dialogs; the Menu key and Shift+F10 open the list's menu,
whose entries open the later windows, named in either language."""
import datetime
import os

from a11y import (TITLE, Program, check, check_tab_cycle, choose, close_menu, closed,
                  descendants, find, has_state, key, live_records, open_menu,
                  run_in_both_languages, type_text, unnamed_controls, wait_for, write_data_file,
                  write_language)
import pyatspi

MAIN = ['Contacts', 'Last Name', 'First Name', 'Organization', 'Address', 'City', 'Zip/Postal',
        'State/Province', 'Country', 'Home Phone', 'Call Home Phone', 'Work Phone',
        'Fax/Data Phone', 'Other Phone', 'E-Mail', 'Status', 'Comments', 'Birthdate']
SYNC = ['CardDAV server:', 'User:', 'Password:', 'Test', 'Sync every N minutes', 'Save',
        'Cancel', 'About...', 'Remind of birthdays at start-up']
PRINT = ['Select print format', 'Print', 'Printer Setup', 'Cancel']
DIALER = ['Number to call', 'Call', 'Cancel']
ABOUT = ['Ok', 'http://www.vellora.example/']

# In English, then in French.
SEARCH = ['Search', 'Rechercher']
DELETE = ['alt+d', 'alt+s']
UNDO = ['Undo deletion of Clark Cy', 'Annuler la suppression de Clark Cy']
# Each window the keyboard opens: by keys or by an entry of the list's menu;
# its title; a row it reads out; the controls Tab goes round, in screen order.
WINDOWS = [
    dict(keys='alt+o', title=[TITLE, TITLE], reads=None, tabs=[
        ['Save Screen Position', 'Protect Access with a password', 'Select Language',
         'Default City', 'Default State/Province', 'Default Country', 'Save', 'Cancel',
         'About...', 'Remind of birthdays at start-up'],
        ["Sauvegarde de la position de l'écran", "Protéger l'accès avec un mot de passe",
         'Choisir le langage', 'Ville par défaut', 'Province par défaut', 'Pays par défaut',
         'Sauvegarder', 'Annuler', 'À propos de ...', 'Rappel des anniversaires au démarrage']]),
    dict(entry=['Birthdays...', 'Anniversaires...'], title=['Birthdays', 'Anniversaires'],
         reads='John Smith', tabs=[['Number of days', 'Coming birthdays', 'Close'],
                                   ['Nombre de jours', 'Prochains anniversaires', 'Fermer']]),
    dict(entry=['Find duplicates...', 'Rechercher les doublons...'],
         title=['Find duplicates', 'Rechercher les doublons'], reads='Brown Bob (2)', tabs=[
             ['Groups of duplicates', 'Contacts side by side', 'Merge', 'Not duplicates',
              'Close'],
             ['Groupes de doublons', 'Contacts côte à côte', 'Fusionner', 'Pas des doublons',
              'Fermer']]),
]
BIN = dict(entry=['Deleted contacts...', 'Contacts supprimés...'],
           title=['Deleted contacts', 'Contacts supprimés'], reads='Clark Cy', tabs=[
               ['Deleted contacts', 'Restore', 'Empty the bin', 'Close'],
               ['Contacts supprimés', 'Restaurer', 'Vider la corbeille', 'Fermer']])
WINDOWS.append(BIN)
IMPORT = dict(entry=['Import contacts...', 'Importer des contacts...'],
              title=['Import contacts', 'Importer des contacts'],
              report=['Import report', "Rapport d'importation"], tabs=[
                  ['Import report', 'Show the contacts added too', 'Save...', 'Close'],
                  ["Rapport d'importation", 'Montrer aussi les contacts ajoutés',
                   'Enregistrer...', 'Fermer']])


def contacts():
    # Smith John's birthday in three days; Brown Bob twice, a duplicate.
    birthday = (datetime.date.today() + datetime.timedelta(days=3)).strftime('%d-%m-%y')
    return [dict(LastName='Smith', FirstName='John', Phone1='555 0100', Birth=birthday),
            dict(LastName='Brown', FirstName='Bob'), dict(LastName='Brown', FirstName='Bob'),
            dict(LastName='Adams', FirstName='Ann'), dict(LastName='Clark', FirstName='Cy')]


def focus_on(acc, what):
    wait_for(lambda: has_state(acc, pyatspi.STATE_FOCUSED), what)


def english_only(program, window, lst):
    """Tab order of the main window and of the older dialogs, the menu keys."""
    key('End')  # Smith John: his home phone can be dialled
    dial = find(window, pyatspi.ROLE_PUSH_BUTTON, 'Call Home Phone')
    wait_for(lambda: has_state(dial, pyatspi.STATE_ENABLED), 'the dial button')
    check_tab_cycle('main window', MAIN)
    # The list's menu, from the list, by either key.
    close_menu(open_menu(['Menu']))
    close_menu(open_menu(['shift+F10']))

    key('alt+o')
    options = program.window(TITLE, roles=(pyatspi.ROLE_DIALOG,))
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
    # Back to the list, Smith John still chosen.
    lst.queryComponent().grabFocus()
    focus_on(lst, 'the list')


def search(window, lst, language):
    """Ctrl+F: a field named as a person would say it, telling its count; it
    sits before the list in the Tab order; Escape closes it."""
    key('ctrl+f')
    field = wait_for(lambda: find(window, pyatspi.ROLE_TEXT, SEARCH[language]), 'the search field')
    focus_on(field, 'the search field')
    type_text('smi')
    wait_for(lambda: lst.childCount == 1 and field.description == '1 contact',
             'one row, and the field saying "1 contact"')
    if language == 0:
        check_tab_cycle('main window, searching', ['Search'] + MAIN)
    key('Escape')
    wait_for(closed(field), 'the search field to close')
    focus_on(lst, 'the list after the search')
    wait_for(lambda: lst.childCount == 5, 'every row back')


def delete_two(program, lst, language):
    """Adams Ann, then Clark Cy, deleted from the keyboard."""
    for keys in (['Home'], ['End', 'Up']):
        key(*keys)
        rows = lst.childCount
        key(DELETE[language])
        confirm = program.window('Confirm', roles=(pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT))
        key('Return')
        wait_for(closed(confirm), 'the question to close')
        wait_for(lambda: lst.childCount == rows - 1, 'the row to go')
        focus_on(lst, 'the list after a deletion')


def check_window(program, lst, expected, language):
    if 'keys' in expected:
        key(expected['keys'])
    else:
        choose(expected['entry'][language])
    title = expected['title'][language]
    window = program.window(title, roles=(pyatspi.ROLE_DIALOG,))
    check(not unnamed_controls(window), '%s: unnamed %s' % (title, unnamed_controls(window)))
    if expected['reads']:
        check(any(expected['reads'] in a.name for a in descendants(window)),
              '%s does not read "%s"' % (title, expected['reads']))
    check_tab_cycle(title, expected['tabs'][language])
    key('Escape')
    wait_for(closed(window), '%s to close on Escape' % title)
    focus_on(lst, 'the list after %s' % title)


def restore_by_enter(program, lst, language):
    """Enter on the bin's first row (the latest deleted) restores it alone."""
    choose(BIN['entry'][language])
    window = program.window(BIN['title'][language], roles=(pyatspi.ROLE_DIALOG,))
    rows = lst.childCount
    key('Return')
    wait_for(lambda: lst.childCount > rows, 'the contact restored')
    check(sorted(live_records('VCQ97.NAM')) == ['Brown', 'Brown', 'Clark', 'Smith'],
          'file holds %s' % live_records('VCQ97.NAM'))
    key('Escape')
    wait_for(closed(window), 'the bin to close')
    focus_on(lst, 'the list after the bin')


def import_by_keyboard(program, lst, language):
    """Import contacts...: the file dialog and the report, named and by keys."""
    path = os.path.abspath('in.vcf')
    with open(path, 'w') as f:
        f.write('BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\nEND:VCARD\r\n')
    choose(IMPORT['entry'][language])
    files = program.window(IMPORT['title'][language], roles=(pyatspi.ROLE_DIALOG,))
    check(not unnamed_controls(files), 'Import: unnamed %s' % unnamed_controls(files))
    type_text(path)
    key('Return')
    report = program.window(IMPORT['report'][language], roles=(pyatspi.ROLE_DIALOG,))
    check(not unnamed_controls(report), 'report: unnamed %s' % unnamed_controls(report))
    check_tab_cycle('import report', IMPORT['tabs'][language])
    key('Escape')
    wait_for(closed(report), 'the report to close on Escape')
    check('Doe' in live_records('VCQ97.NAM'), 'file holds %s' % live_records('VCQ97.NAM'))
    focus_on(lst, 'the list after the import')


def session(binary, language):
    write_language(language)
    write_data_file('VCQ97.NAM', contacts())
    program = Program(binary)
    try:
        window = program.window(TITLE, roles=(pyatspi.ROLE_FRAME,))
        lst = wait_for(lambda: find(window, pyatspi.ROLE_LIST, 'Contacts'), 'the list')
        focus_on(lst, 'the list to take the focus')
        if language == 0:
            english_only(program, window, lst)
        search(window, lst, language)
        delete_two(program, lst, language)
        menu = open_menu()
        undo = next((item for item in menu if item.name == UNDO[language]), None)
        check(undo is not None and has_state(undo, pyatspi.STATE_ENABLED),
              'no "%s" in %s' % (UNDO[language], [item.name for item in menu]))
        close_menu(menu)
        for expected in WINDOWS:
            check_window(program, lst, expected, language)
        restore_by_enter(program, lst, language)
        import_by_keyboard(program, lst, language)
    finally:
        program.end()


if __name__ == '__main__':
    run_in_both_languages(session, 'keyboard: every window as expected in both languages')
