# SPDX-License-Identifier: GPL-3.0-or-later
"""The real program read through the accessibility bus: the window, its named
controls in both languages, the contact list's rows and their states, the
tree following Add, Save and Delete, and the events of a keyboard move."""

from a11y import (TITLE, Events, Program, check, choose, closed, descendants, find,
                  has_state, key, live_records, run_in_both_languages, text_of, type_text,
                  unnamed_controls, wait_for, write_data_file, write_language)
import pyatspi

CONTACTS = [
    dict(LastName='Smith', FirstName='John', City='Québec'),
    dict(LastName='Côté', FirstName='Émilie', Organisation='Acme', City='Montréal'),
    dict(LastName='Adams', FirstName='Ann'),
]
ROWS = ['Adams Ann', 'Côté Émilie', 'Smith John']

NAMES = {
    0: dict(
        edits=['Last Name', 'First Name', 'Organization', 'Address', 'City', 'Zip/Postal',
               'State/Province', 'Country', 'Home Phone', 'Work Phone', 'Fax/Data Phone',
               'Other Phone', 'E-Mail', 'Comments', 'Birthdate'],
        buttons=['New', 'Save', 'Delete', 'Print', 'Options', 'Quit', 'Call Home Phone',
                 'Call Work Phone', 'Call Fax/Data Phone', 'Call Other Phone'],
        status='Status', options='Options'),
    1: dict(
        edits=['Nom', 'Prénom', 'Compagnie', 'Adresse', 'Ville', 'Code Postal', 'Province',
               'Pays', 'Tél. Maison', 'Tél. Bureau', 'Tél. Fax/Data', 'Tél. Autre', 'E-Mail',
               'Remarques', 'Date de fête'],
        buttons=['Nouveau', 'Enregistrer', 'Supprimer', 'Imprimer', 'Options', 'Quitter',
                 'Appeler Tél. Maison', 'Appeler Tél. Bureau', 'Appeler Tél. Fax/Data',
                 'Appeler Tél. Autre'],
        status='Statut', options='Options'),
}


def rows(lst):
    return [lst[i].name for i in range(lst.childCount)]


def selected_rows(lst):
    return [lst[i].name for i in range(lst.childCount)
            if lst[i].getState().contains(pyatspi.STATE_SELECTED)]


def check_names(window, language):
    names = NAMES[language]
    check(not unnamed_controls(window), 'unnamed controls: %s' % unnamed_controls(window))
    for name in names['edits']:
        check(find(window, pyatspi.ROLE_TEXT, name) is not None, 'no field "%s"' % name)
    for name in names['buttons']:
        check(find(window, pyatspi.ROLE_PUSH_BUTTON, name) is not None, 'no button "%s"' % name)
    check(find(window, pyatspi.ROLE_COMBO_BOX, names['status']) is not None, 'no status list')


def check_dialogs(program):
    """Each dialog the keyboard opens is a named dialog with named controls."""
    key('alt+o')
    options = program.window(TITLE, roles=(pyatspi.ROLE_DIALOG,))
    check(not unnamed_controls(options), 'Options: unnamed %s' % unnamed_controls(options))
    key('ctrl+Tab')  # the sync page
    wait_for(lambda: find(options, pyatspi.ROLE_SPIN_BUTTON), 'the sync page')
    check(not unnamed_controls(options), 'sync page: unnamed %s' % unnamed_controls(options))
    key('ctrl+Tab')  # back to the first page, where the dialog opens next time
    wait_for(lambda: find(options, pyatspi.ROLE_COMBO_BOX), 'the first page')
    key('Escape')
    wait_for(closed(options), 'Options to close')
    key('alt+p')
    printing = program.window(TITLE, roles=(pyatspi.ROLE_DIALOG,))
    check(not unnamed_controls(printing), 'Print: unnamed %s' % unnamed_controls(printing))
    key('Escape')
    wait_for(closed(printing), 'Print to close')


def session(binary, language):
    write_language(language)
    write_data_file('VCQ97.NAM', CONTACTS)
    program = Program(binary)
    try:
        window = program.window(TITLE, roles=(pyatspi.ROLE_FRAME,))
        lst = wait_for(lambda: find(window, pyatspi.ROLE_LIST, 'Contacts'), 'the list "Contacts"')
        wait_for(lambda: lst.childCount == 3, 'three rows')
        check(rows(lst) == ROWS, 'rows %s' % rows(lst))
        described = [lst[i].description for i in range(lst.childCount)]
        check(described == ['', 'Acme, Montréal', 'Québec'], 'descriptions %s' % described)
        check_names(window, language)
        wait_for(lambda: has_state(lst, pyatspi.STATE_FOCUSED), 'the list to take the focus')
        check_dialogs(program)
        if language == 1:
            return
        # The form shows the selected contact.
        check(selected_rows(lst) == ['Adams Ann'], 'selected %s' % selected_rows(lst))
        last = find(window, pyatspi.ROLE_TEXT, 'Last Name')
        check(text_of(last) == 'Adams', 'form shows %r' % text_of(last))

        events = Events('object:state-changed:focused', 'object:state-changed:selected',
                        'object:text-changed', 'object:text-caret-moved')
        key('Home')  # the list holds the focus at start
        key('Down')
        events.wait('object:state-changed:focused', 'Côté Émilie')
        events.wait('object:state-changed:selected', 'Côté Émilie')
        check(selected_rows(lst) == ['Côté Émilie'], 'selected %s' % selected_rows(lst))
        focus = [lst[i].name for i in range(lst.childCount)
                 if lst[i].getState().contains(pyatspi.STATE_FOCUSED)]
        check(focus == ['Côté Émilie'], 'focused %s' % focus)
        # The form's fields, which the user is not in, change without a word
        # (the row was said); their texts are there when the reader comes.
        said = [e for e in events.seen if e[0].startswith('object:text')]
        check(not said, 'fields out of focus announced %s' % said)
        check(text_of(last) == 'Côté', 'form shows %r' % text_of(last))
        events.close()

        # Add, save under a new name, delete: the tree follows each. What is
        # typed in the field that has the focus is heard.
        events = Events('object:text-changed')
        key('alt+n')
        type_text('Zed')
        events.wait('object:text-changed:insert', 'Last Name', 2)
        # So is a field the program clears while the user is in it.
        key('alt+n')
        events.wait('object:text-changed:delete', 'Last Name', 0)
        type_text('Zed')
        events.close()
        key('Tab')
        type_text('Zoe')
        key('alt+s')
        wait_for(lambda: rows(lst) == ROWS + ['Zed Zoe'], 'the new row (%s)' % rows(lst))
        check(selected_rows(lst) == ['Zed Zoe'], 'selected %s' % selected_rows(lst))
        last.queryEditableText().setTextContents('Bond')
        key('alt+s')
        wait_for(lambda: rows(lst) == ['Adams Ann', 'Bond Zoe', 'Côté Émilie', 'Smith John'],
                 'the renamed row (%s)' % rows(lst))
        key('alt+d')
        confirm = program.window('Confirm', roles=(pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT))
        check(not unnamed_controls(confirm), 'Confirm: unnamed %s' % unnamed_controls(confirm))
        key('Return')
        wait_for(lambda: rows(lst) == ROWS, 'the row to go (%s)' % rows(lst))
        check(live_records('VCQ97.NAM') == ['Smith', 'Côté', 'Adams'],
              'file holds %s' % live_records('VCQ97.NAM'))

        # Birthdays, opened once in English, and the search field are renamed
        # with the rest when French is chosen in Options.
        lst.queryComponent().grabFocus()
        wait_for(lambda: has_state(lst, pyatspi.STATE_FOCUSED), 'the list focused')
        choose('Birthdays...')
        birthdays = program.window('Birthdays', roles=(pyatspi.ROLE_DIALOG,))
        key('Escape')
        wait_for(closed(birthdays), 'Birthdays to close')
        key('alt+o')
        options = program.window(TITLE, roles=(pyatspi.ROLE_DIALOG,))
        language = wait_for(lambda: find(options, pyatspi.ROLE_COMBO_BOX), 'the language list')
        for _ in range(12):  # Tab round the dialog to the list
            if has_state(language, pyatspi.STATE_FOCUSED):
                break
            key('Tab')
        wait_for(lambda: has_state(language, pyatspi.STATE_FOCUSED), 'the language list focused')
        key('End')
        key('alt+s')
        wait_for(lambda: find(window, pyatspi.ROLE_PUSH_BUTTON, 'Nouveau'), 'French names')
        check_names(window, 1)
        key('ctrl+f')
        wait_for(lambda: find(window, pyatspi.ROLE_TEXT, 'Rechercher'), 'the search field renamed')
        key('Escape')
        wait_for(lambda: has_state(lst, pyatspi.STATE_FOCUSED), 'the list after the search')
        choose('Anniversaires...')
        birthdays = program.window('Anniversaires', roles=(pyatspi.ROLE_DIALOG,))
        check(find(birthdays, pyatspi.ROLE_SPIN_BUTTON, 'Nombre de jours') is not None and
              find(birthdays, pyatspi.ROLE_PUSH_BUTTON, 'Fermer') is not None,
              'Birthdays not renamed: %s' % [a.name for a in descendants(birthdays)])
    finally:
        program.end()


if __name__ == '__main__':
    run_in_both_languages(session, 'accessibility tree: as expected in both languages')
