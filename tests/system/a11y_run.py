"""A typical run of MerivexDemo as a screen reader meets it, through AT-SPI.

Walks the windows (the refused Graph command's message, New Biodata, the BMI
window, the graph, Open Biodata, the About box), asserts what a listener is
told about their controls, and prints it window by window. Text goes in
through the editable-text interface, which takes any script; a button that
opens a modal message box is clicked with xdotool at its place on the screen,
as an AT-SPI press would not return until the box is closed.
"""
import re
import subprocess
import sys
import time

import pyatspi

TIMEOUT = 15
NAME = "Ana 安娜"


def wait(what, probe):
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        try:
            found = probe()
        except Exception:  # the tree changes under the walk
            found = None
        if found:
            return found
        time.sleep(0.1)
    shown = [(role_of(w), w.name) for w in (app() or [])]
    sys.exit("timed out waiting for %s; the windows: %s" % (what, shown))


def role_of(acc):
    """The role's name, as AT-SPI before 2.5x spelled it ("push button")."""
    name = acc.getRoleName()
    return "push button" if name == "button" else name


def app():
    for candidate in pyatspi.Registry.getDesktop(0):
        if candidate is not None and candidate.name == "MerivexDemo":
            return candidate
    return None


def hold_key(key):
    """Presses a key as a person does: held for a moment, then released."""
    subprocess.run(["xdotool", "keydown", key], check=True)
    time.sleep(0.06)
    subprocess.run(["xdotool", "keyup", key], check=True)


def find(root, role, name):
    return pyatspi.findDescendant(
        root, lambda a: a is not None and role_of(a) == role and a.name == name)


def window(role, name):
    return wait("the %s '%s'" % (role, name), lambda: find(app(), role, name))


def press(acc):
    action = acc.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    action.doAction(names.index("Toggle" if "Toggle" in names else "Press"))


def click(acc):
    x, y, w, h = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", "--sync", str(x + w // 2), str(y + h // 2),
                    "click", "1"], check=True)


def type_into(acc, text):
    acc.queryEditableText().setTextContents(text)


def heard(win):
    """What a screen reader announces: every named or focusable control."""
    lines = []

    def walk(acc):
        for child in acc:
            if child is None:
                continue
            state = child.getState()
            if child.name or child.description or state.contains(pyatspi.STATE_FOCUSABLE):
                line = "  %s '%s'" % (role_of(child), child.name)
                if role_of(child) == "text":
                    line += " = '%s'" % child.queryText().getText(0, -1)
                if child.description:
                    line += ": " + child.description
                if not state.contains(pyatspi.STATE_ENABLED):
                    line += " (unavailable)"
                lines.append(line)
            if role_of(child) != "combo box":  # its entry and list are its own
                walk(child)

    walk(win)
    print("%s '%s'\n%s" % (role_of(win), win.name, "\n".join(lines)), flush=True)
    return lines


def expect(win, *controls):
    lines = heard(win)
    for role, name in controls:
        if find(win, role, name) is None:
            sys.exit("%s '%s' has no %s named '%s'" % (role_of(win), win.name, role, name))
    unnamed = [l for l in lines if re.match(r"  [a-z ]+ ''", l) and "(unavailable)" not in l
               and "cell" not in l and "header" not in l]
    if unnamed:
        sys.exit("unnamed controls in '%s':\n%s" % (win.name, "\n".join(unnamed)))


main = window("frame", "Merivex Demo - No User")
expect(main, *[("push button", b) for b in ("New", "Open", "BMI", "Graph", "Exit")])

# The Graph command refuses without a patient, in a modal message box.
click(find(main, "push button", "Graph"))
box = window("alert", "MerivexDemo")
expect(box, ("label", "No User Selected - No Graph"), ("push button", "OK"))
press(find(box, "push button", "OK"))

press(find(main, "push button", "New"))
new = window("panel", "New Biodata")
expect(new, ("text", "Nama"), ("radio button", "Male"), ("radio button", "Female"),
       ("text", "BirthDate"), ("push button", "Enter"), ("push button", "Cancel"))
type_into(find(new, "text", "Nama"), NAME)
press(find(new, "radio button", "Female"))
type_into(find(new, "text", "BirthDate"), "14/03/1980")
press(find(new, "push button", "Enter"))
window("frame", "Merivex Demo -" + NAME)

press(find(main, "push button", "BMI"))
bmi = window("panel", "Your Ideal Weight !")
type_into(find(bmi, "text", "Your Weight"), "65")
type_into(find(bmi, "text", "Your Height"), "1.70")
press(find(bmi, "push button", "Calculate"))
result = find(bmi, "text", "Your Body Mass Indes is").queryText()
wait("the BMI", lambda: result.getText(0, -1) == "22")
if find(bmi, "text", "Your Weight").description != "kgs":
    sys.exit("the weight box does not tell its unit")
expect(bmi, ("text", "Your Weight"), ("text", "Your Height"),
       ("text", "Your Body Mass Indes is"), ("push button", "Calculate"),
       ("push button", "Save"), ("table", "Your's BMI History"))

press(find(bmi, "push button", "Save"))
graph = window("panel", "Your Weight Graf")
expect(graph, ("chart", "Body Weight Index"))
chart = find(graph, "chart", "Body Weight Index")
if chart is None:
    sys.exit("the graph window has no chart named 'Body Weight Index'")
told = r"1 measurement: \d\d/\d\d, BMI 22\.5\. Reference lines: Ideal Weight at 25, UnderWeight at 20\."
if not re.fullmatch(told, chart.description):
    sys.exit("the chart is described as '%s'" % chart.description)

# The close box of a maximized child is drawn in the menu bar; Ctrl+W closes it.
hold_key("ctrl+w")
wait("the graph to close", lambda: find(app(), "panel", "Your Weight Graf") is None)

press(find(main, "push button", "Open"))
opened = window("panel", "Open Biodata")
expect(opened, ("table", "Select Your Biodata"), ("push button", "Select"),
       ("push button", "Cancel"), ("combo box", "Name"),
       ("combo box", "Date of register egister"))
press(find(opened, "push button", "Cancel"))

press(find(main, "menu item", "About"))
about = window("dialog", "About Merivex")
expect(about, ("label", "Merivex"), ("label", "Version 0.01"),
       ("label", "This Application to monitor our health."), ("push button", "OK"))
press(find(about, "push button", "OK"))

press(find(main, "push button", "Exit"))
wait("the application to end", lambda: app() is None)
print("every window named")
