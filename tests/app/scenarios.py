# SPDX-License-Identifier: GPL-3.0-or-later
"""Whole-program scenarios: each starts the installed program on a desktop of
its own, drives it with the mouse and keys, ends it with Quit and checks the
data file's bytes.
    scenarios.py BINARY SCENARIO"""

import os
import socket
import subprocess
import sys

from program import (FIELDS, TITLE, Failure, Program, field, person, record, records,
                     run_scenario, wait_for)

# The list box's row height on the test desktop (Qt's default font there).
ROW = 13

ADAMS, BAKER = person("Adams", "Ann"), person("Baker", "Bob")


def expect(condition, message):
    if not condition:
        raise Failure(message)


def expect_records(path, wanted):
    got = records(path)[1:]
    expect(len(got) == len(wanted), "%d records, not %d" % (len(got), len(wanted)))
    for n, (have, want) in enumerate(zip(got, wanted), 1):
        differ = ["%s %r, not %r" % (name, field(have, name), field(want, name))
                  for name in FIELDS if field(have, name) != field(want, name)]
        expect(have == want, "record %d: %s" % (n, "; ".join(differ) or "other bytes differ"))


def replace_field(p, name, text):
    p.click_field(name)
    p.key("ctrl+a")
    p.type(text)


def right_click_then_save(binary):
    """A right-click shows the contact it was on: Save writes the form to that
    contact, never over another one."""
    with Program(binary, [ADAMS, BAKER]) as p:
        p.click_row(1, ROW, button=3)
        p.wait_menu()
        p.key("Escape")
        p.wait_no_menu()
        replace_field(p, "City", "Paris")
        p.key("alt+s")
        p.quit()
        expect_records(p.data_file, [ADAMS, person("Baker", "Bob", City="Paris")])


def blank_click_keeps_contact(binary):
    """A left or right click below the last entry keeps the shown contact
    selected: Save still saves it."""
    with Program(binary, [ADAMS, BAKER]) as p:
        p.click_blank()
        p.click_blank(button=3)
        p.wait_menu()
        p.key("Escape")
        p.wait_no_menu()
        replace_field(p, "City", "Lyon")
        p.key("alt+s")
        p.quit()
        expect_records(p.data_file, [person("Adams", "Ann", City="Lyon"), BAKER])


def _import_through_menu(binary, french, open_menu):
    card = ("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Zola;Emile;;;\r\nFN:Emile Zola\r\n"
            "END:VCARD\r\n")
    with Program(binary, [ADAMS, BAKER], french=french) as p:
        path = os.path.join(p.scratch, "in.vcf")
        open(path, "w").write(card)
        open_menu(p)
        p.wait_menu()
        p.key("Down")  # the first entry
        p.key("Return")
        dialog = p.wait_window("^Importer des contacts$" if french else "^Import contacts$")
        p.focus(dialog)
        p.type(path)
        p.key("Return")
        report = p.wait_window("^Rapport d'importation$" if french else "^Import report$")
        p.focus(report)
        p.key("Return")
        p.wait_no_window("^Rapport d'importation$" if french else "^Import report$")
        p.quit()
        expect_records(p.data_file, [ADAMS, BAKER, person("Zola", "Emile")])


def import_from_row_menu(binary):
    """With contacts listed, a right-click on a row offers Import first."""
    _import_through_menu(binary, False, lambda p: p.click_row(0, ROW, button=3))


def import_from_menu_key_french(binary):
    """The Menu key opens the same menu, in French."""
    _import_through_menu(binary, True, lambda p: p.key("Menu"))


def import_from_shift_f10(binary):
    _import_through_menu(binary, False, lambda p: p.key("shift+F10"))


def export_right_clicked_contact(binary):
    """"Export this contact" exports the contact the right-click was on."""
    with Program(binary, [ADAMS, BAKER]) as p:
        out = os.path.join(p.scratch, "one.vcf")
        p.click_row(1, ROW, button=3)
        p.wait_menu()
        for _ in range(3):
            p.key("Down")
        p.key("Return")
        dialog = p.wait_window("^Export contacts$")
        p.focus(dialog)
        p.key("ctrl+a")
        p.type(out)
        p.key("Return")
        box = p.wait_window("^Vellora Carnetique 97$", exclude=p.window)
        p.focus(box)
        p.key("Return")
        p.quit()
        text = wait_for(lambda: os.path.exists(out) and open(out).read(), "the export")
        expect("N:Baker;Bob;;;" in text and "Adams" not in text, "exported: " + text)
        expect_records(p.data_file, [ADAMS, BAKER])


def failed_sync_save_keeps_options(binary):
    """Options' Save with a server that does not answer keeps the dialog open
    (its About button still answers) and keeps nothing."""
    with Program(binary, [ADAMS]) as p:
        refusing = socket.socket()
        refusing.bind(("127.0.0.1", 0))  # bound, never listening: refused
        port = refusing.getsockname()[1]
        p.key("alt+o")
        options = p.wait_window("^%s$" % TITLE, exclude=p.window)
        p.focus(options)
        p.key("ctrl+Tab")  # the Synchronisation page, its server field
        p.type("http://127.0.0.1:%d/" % port)
        p.key("Tab")
        p.type("ann")
        p.key("alt+s")
        p.key("alt+a")
        about = p.wait_window("^About Vellora Carnetique 97$")
        p.focus(about)
        p.key("Escape")
        p.wait_no_window_id(about)
        p.focus(options)
        p.key("Escape")
        p.wait_no_window_id(options)
        p.quit()
        refusing.close()
        expect(not os.path.exists(p.data_file + ".carddav"), "a sync set-up was kept")
        expect_records(p.data_file, [ADAMS])


def red_pixels(p, window):
    """Pixels of the window in the warning's red (#c00000, anti-aliasing allowed)."""
    raw = subprocess.run(["import", "-window", str(window), "-depth", "8", "rgb:-"],
                         env=p.desktop.env, capture_output=True, check=True).stdout
    return sum(1 for i in range(0, len(raw) - 2, 3)
               if raw[i] > 150 and raw[i + 1] < 80 and raw[i + 2] < 80)


def insecure_sync_address_asked(binary):
    """Plain http to another machine is said to be insecure, in red under the
    address (not so the loopback); Save asks first and, refused, sends nothing
    and keeps nothing."""
    with Program(binary, [ADAMS]) as p:
        p.key("alt+o")
        options = p.wait_window("^%s$" % TITLE, exclude=p.window)
        p.focus(options)
        p.key("ctrl+Tab")  # the Synchronisation page, its server field
        p.type("http://carddav.invalid/dav/")
        wait_for(lambda: red_pixels(p, options) > 100, "the red warning")
        p.key("ctrl+a")
        p.type("http://127.0.0.1:9/")
        wait_for(lambda: red_pixels(p, options) < 10, "no warning for the loopback")
        p.key("ctrl+a")
        p.type("http://carddav.invalid/dav/")
        p.key("alt+s")
        confirm = p.wait_window("^Confirm$")
        p.focus(confirm)
        p.key("Escape")
        p.wait_no_window_id(confirm)
        p.focus(options)
        p.key("Escape")
        p.wait_no_window_id(options)
        p.quit()
        expect(not os.path.exists(p.data_file + ".carddav"), "a refused set-up was kept")
        expect_records(p.data_file, [ADAMS])


def undo_and_bin_from_the_menu(binary):
    """Delete, then "Undo deletion of ..." from the row menu brings the contact
    back; Ctrl+Y deletes it again, and "Deleted contacts..." restores it into
    its own record, byte for byte."""
    with Program(binary, [ADAMS, BAKER]) as p:
        p.click_row(1, ROW)
        p.key("alt+d")
        confirm = p.wait_window("^Confirm$")
        p.focus(confirm)
        p.key("Return")
        p.wait_no_window_id(confirm)
        wait_for(lambda: field(records(p.data_file)[2], "LastName") == "@~", "the deletion")
        p.focus(p.window)
        p.click_row(0, ROW, button=3)
        p.wait_menu()
        p.key("Up", "Up")  # from the end: "Deleted contacts...", then Undo (Redo is greyed)
        p.key("Return")
        p.wait_no_menu()
        wait_for(lambda: records(p.data_file)[2] == BAKER, "the undone deletion")
        p.key("ctrl+y")
        wait_for(lambda: field(records(p.data_file)[2], "LastName") == "@~", "the redone deletion")
        p.focus(p.window)
        p.click_row(0, ROW)
        p.click_row(0, ROW, button=3)
        p.wait_menu()
        p.key("Up")
        p.key("Return")
        bin_window = p.wait_window("^Deleted contacts$")
        p.focus(bin_window)
        p.key("alt+r")
        wait_for(lambda: records(p.data_file)[2] == BAKER, "the restore")
        p.key("alt+c")
        p.wait_no_window_id(bin_window)
        p.quit()
        expect_records(p.data_file, [ADAMS, BAKER])


def scramble(text):
    """The header's scrambling of the password and its flag."""
    key = b"RtKwYm_abq"
    return bytes((c + key[i]) % 256 for i, c in enumerate(text.encode()[:10]))


def stored_position(p):
    registry = p.registry()
    values = {}
    for name in ("ScreenPosX", "ScreenPosY"):
        line = next((l for l in registry.splitlines() if l.startswith('"%s"=dword:' % name)), None)
        expect(line, "no %s stored: %s" % (name, registry))
        value = int(line.split(":", 1)[1], 16)
        values[name] = value - (1 << 32) if value >= 1 << 31 else value
    return values["ScreenPosX"], values["ScreenPosY"]


def password_cancel_stores_centred_place(binary):
    """Cancelling the start-up password stores the place the window was given
    (the centred one), as an unprotected start and Quit do."""
    with Program(binary, [ADAMS]) as p:
        p.quit()
        centred = stored_position(p)
    protected = record({"FirstName": "Beta3", "LastName": "Vellora Softwares",
                        "Password": scramble("pw"), "Protection": scramble("1")})
    with Program(binary, [ADAMS], header_record=protected, wait_main=False) as p:
        dialog = p.wait_window("^%s$" % TITLE)
        p.focus(dialog)
        p.key("Escape")
        p.wait_exit()
        expect(stored_position(p) == centred,
               "stored %s, centred is %s" % (stored_position(p), centred))


def centred_over(outer, own):
    return outer[0] + outer[2] // 2 - own[2] // 2, outer[1] + outer[3] // 2 - own[3] // 2


def dialer_place(outer, own):
    return (outer[0] + outer[2] // 2 - own[2] // 3 - 10, outer[1] + outer[3] // 2 - own[3] // 2)


def expect_place(p, window, rule, what):
    own = p.wait_frame(window)
    main = p.frame()
    want = rule(main, own)
    expect(abs(own[0] - want[0]) <= 1 and abs(own[1] - want[1]) <= 1,
           "%s at %s, expected at %s (main window at %s)" % (what, own[:2], want, main))


def dialogs_follow_the_moved_window(binary):
    """After the main window is moved, the print dialog shown again is centred
    over its new place and the quick dialer shown again after Cancel is placed
    by its rule."""
    with Program(binary, [person("Adams", "Ann", Phone1="555-0101")]) as p:
        for place in ((37, 61), (402, 215)):
            p.move(*place)
            p.key("alt+p")
            dialog = p.wait_window("^%s$" % TITLE, exclude=p.window)
            expect_place(p, dialog, centred_over, "the print dialog")
            p.focus(dialog)
            p.key("Escape")
            p.wait_no_window_id(dialog)
        for place in ((37, 61), (402, 215)):
            p.move(*place)
            p.focus(p.window)
            p.click(600 + 10, 215 + 10)  # the first phone's quick-dial button
            dialer = p.wait_window("^Vellora Quick Dialer$")
            expect_place(p, dialer, dialer_place, "the quick dialer")
            p.focus(dialer)
            p.key("alt+c")  # Cancel
            p.wait_no_window_id(dialer)
        p.quit()
        expect_records(p.data_file, [person("Adams", "Ann", Phone1="555-0101")])




def search_then_save(binary):
    """Ctrl+F, a query without its accents, Enter: the form shows the match and
    Save writes to it; Escape brings every contact back."""
    cote = person("C\u00f4t\u00e9", "\u00c9milie")
    with Program(binary, [ADAMS, BAKER, cote]) as p:
        p.key("ctrl+f")
        p.type("emilie")
        p.key("Return")
        replace_field(p, "City", "Lyon")
        p.key("alt+s")
        p.key("ctrl+f")
        p.type("bak")
        p.key("Return")
        replace_field(p, "City", "Oslo")
        p.key("alt+s")
        p.key("ctrl+f")
        p.key("Escape")
        p.quit()
        expect_records(p.data_file, [ADAMS, person("Baker", "Bob", City="Oslo"),
                                     person("C\u00f4t\u00e9", "\u00c9milie", City="Lyon")])

def merge_duplicates_from_menu(binary):
    """"Find duplicates..." in the list's menu: Merge (keyboard only) saves the
    merged contact into the first and deletes the other."""
    cote = person("Côté", "Émilie", Phone1="01 23 45 67 89", City="Paris")
    other = person("COTE", "emilie", Phone1="+33 1 23 45 67 89", Email="e@x.fr", City="Lyon")
    with Program(binary, [cote, other, BAKER]) as p:
        p.click_row(0, ROW, button=3)
        p.wait_menu()
        for _ in range(4):  # Import, Export all, Export this, (sync is greyed), Find duplicates
            p.key("Down")
        p.key("Return")
        window = p.wait_window("^Find duplicates$")
        p.focus(window)

        def confirm():
            # Merge answers once the search has listed the group.
            p.key("alt+m")
            return p.windows("^Confirm$")
        box = wait_for(confirm, "the merge's question")[0]
        p.focus(box)
        p.key("Return")
        p.wait_no_window_id(box)
        p.focus(window)
        p.key("Escape")
        p.wait_no_window_id(window)
        p.quit()
        expect_records(p.data_file, [
            person("Côté", "Émilie", Phone1="01 23 45 67 89", City="Paris", Email="e@x.fr",
                   Comment="Also: Lyon"),
            record({"LastName": "@~"}), BAKER])


SCENARIOS = {f.__name__: f for f in (
    right_click_then_save, blank_click_keeps_contact, import_from_row_menu,
    import_from_menu_key_french, import_from_shift_f10, export_right_clicked_contact,
    password_cancel_stores_centred_place, dialogs_follow_the_moved_window,
    failed_sync_save_keeps_options, insecure_sync_address_asked,
    undo_and_bin_from_the_menu, search_then_save, merge_duplicates_from_menu)}


if __name__ == "__main__":
    sys.exit(run_scenario(SCENARIOS))
