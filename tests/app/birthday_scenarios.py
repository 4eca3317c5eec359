# SPDX-License-Identifier: GPL-3.0-or-later
"""Whole-program scenarios of birthdays: the reminder at start-up told to a
notification daemon (python3-dbusmock's) on the desktop's private session
bus, once and never as a box, or not at all when Options turned it off; the
Birthdays window opened from the list's menu, a contact chosen there shown
in the form, checked by what Save writes to the data file.
    birthday_scenarios.py BINARY SCENARIO"""

import datetime
import os
import subprocess
import sys

from program import Failure, Program, person, run_scenario, wait_for
from scenarios import ROW, expect, expect_records, replace_field

NOTIFICATIONS = "org.freedesktop.Notifications"


def stored_day(days, year="  "):
    d = datetime.date.today() + datetime.timedelta(days=days)
    return d.strftime("%d-%m-") + year


class WithNotifications(Program):
    """The program with a notification daemon on its session bus from the start."""

    def __enter__(self):
        desktop = self.desktop.start()
        self.desktop.start = lambda: desktop
        self.calls = os.path.join(self.scratch, "notifications.log")
        desktop._spawn(["/usr/bin/python3", "-m", "dbusmock", "--template",
                        "notification_daemon", "-l", self.calls],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(self._daemon_up, "the notification daemon")
        return super().__enter__()

    def _bus(self, dest, path, method, *args):
        return subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=" + dest, path,
                               method, *args],
                              env=self.desktop.env, capture_output=True, text=True).stdout

    def _daemon_up(self):
        return "true" in self._bus("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                   "org.freedesktop.DBus.NameHasOwner", "string:" + NOTIFICATIONS)

    def calls_made(self):
        return open(self.calls, encoding="utf-8").read() if os.path.exists(self.calls) else ""

    def settle_calls(self):
        """Everything the program sent before now has reached the daemon."""
        self._bus(NOTIFICATIONS, "/org/freedesktop/Notifications",
                  NOTIFICATIONS + ".GetServerInformation")
        wait_for(lambda: "GetServerInformation" in self.calls_made(), "our own call")

    def program_windows(self):
        out = self.xdo("search", "--onlyvisible", "--pid", self.process.pid, check=False)
        return out.split()


def contacts():
    age = datetime.date.today().year - 1990
    return age, [person("Adams", "Ann"), person("Brun", "Lea", Birth=stored_day(0, "90")),
                 person("Zola", "Emile", Birth=stored_day(1))]


def reminder_once_and_chosen_contact(binary):
    """One notification names today's and tomorrow's birthdays and no box
    comes up; the contact chosen in the Birthdays window is the one Save
    writes."""
    age, people = contacts()
    with WithNotifications(binary, people) as p:
        wait_for(lambda: "Notify" in p.calls_made(), "the reminder")
        told = p.calls_made()
        expect("Today: Lea Brun, turns %d" % age in told, "reminder: " + told)
        expect("Tomorrow: Emile Zola" in told, "reminder: " + told)
        expect(p.program_windows() == [p.window], "a window besides the main one")

        p.click_row(0, ROW, button=3)
        p.wait_menu()
        # From the end: "Deleted contacts...", then (Undo and Redo are greyed) Birthdays...
        p.key("Up", "Up")
        p.key("Return")
        window = p.wait_window("^Birthdays$")
        p.focus(window)
        p.key("Down")  # from Lea Brun (today) to Emile Zola (tomorrow)
        p.key("Return")
        p.focus(window)  # it stays open until closed
        p.key("Escape")
        p.wait_no_window_id(window)
        p.focus(p.window)
        replace_field(p, "City", "Nice")
        p.key("alt+s")
        p.settle_calls()
        expect(p.calls_made().count("Notify") == 1, "told more than once")
        p.quit()
        expect_records(p.data_file, [people[0], people[1],
                                     person("Zola", "Emile", Birth=stored_day(1), City="Nice")])


def reminder_turned_off(binary):
    """With the reminder turned off in Options, the daemon hears nothing."""
    _, people = contacts()
    p = WithNotifications(binary, people)
    p.set_registry({"BirthdayReminder": 0})
    with p:
        # The menu answers once the event loop runs, after start-up's reminder.
        p.click_row(0, ROW, button=3)
        p.wait_menu()
        p.key("Escape")
        p.wait_no_menu()
        p.settle_calls()
        made = p.calls_made()
        expect("GetCapabilities" not in made and "Notify" not in made, "told: " + made)
        p.quit()
        expect_records(p.data_file, people)


SCENARIOS = {f.__name__: f for f in (reminder_once_and_chosen_contact, reminder_turned_off)}


if __name__ == "__main__":
    sys.exit(run_scenario(SCENARIOS))
