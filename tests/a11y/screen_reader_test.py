#!/usr/bin/python3
"""What a screen reader finds in the program's windows through the desktop's accessibility
bus, with a real client of it, under a virtual X server and a session bus of the test's own.

    screen_reader_test.py BUILD_DIR    exit 77 (skipped) without Xvfb, xdotool or pyatspi
"""
import glob, importlib.util, os, select, shutil, signal, subprocess, sys, tempfile, time

# The clock through faketime's library: its command leaves files that a later run can trip on.
FAKETIME = glob.glob("/usr/lib/*/faketime/libfaketime.so.1")
failures, processes = [], []


def start(args, env, piped=False):
    # A process group of its own takes with it what it starts (the accessibility bus). A piped
    # one gives its first line.
    p = subprocess.Popen(args, env=env, stdout=subprocess.PIPE if piped else subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL, start_new_session=True)
    processes.append(p)
    return piped and select.select([p.stdout], [], [], 10)[0] and os.read(p.stdout.fileno(), 4096).decode().strip()


def wait_for(what, find, seconds=15):
    # The bus's events reach the test's listener while it waits.
    from gi.repository import GLib
    for _ in range(seconds * 10):
        while GLib.MainContext.default().iteration(False):
            pass
        if found := find():
            return found
        time.sleep(0.1)
    raise RuntimeError("no %s within %d seconds" % (what, seconds))


def keys(title, *names):
    # The window takes the focus first, as a click would give it, and the keys go once it has it.
    subprocess.run(["xdotool", "search", "--name", "^%s$" % title, "windowfocus", "--sync", "%1", "key",
                    "--window", "0", "--delay", "100"] + list(names), timeout=10)


check = lambda ok, what: ok or failures.append(what) or print("FAIL:", what)


def run(build, tmp):
    # The environment is the test's own as well: the bus client reads it.
    folder, env = os.path.join(tmp, "program"), os.environ
    shutil.copytree(os.path.join(build, "bin"), folder, ignore=lambda _, names: set(names) - {"solmira", "solmiraverse.pdb"})
    xvfb = ["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"]
    # The clock is faked by a preloaded library, which the address sanitizer must allow.
    env.update(DISPLAY=":%s" % start(xvfb, env, True),
               DBUS_SESSION_BUS_ADDRESS=start(["dbus-daemon", "--session", "--nofork", "--print-address"], env, True),
               XDG_RUNTIME_DIR=tmp, HOME=tmp, TZ="UTC", LANG="C.UTF-8", QT_QPA_PLATFORM="xcb", SOLMIRA_START_SERVICE="none",
               FAKETIME_DONT_FAKE_MONOTONIC="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               ASAN_OPTIONS=":".join(filter(None, [env.get("ASAN_OPTIONS"), "verify_asan_link_order=0"])))
    start(["/usr/libexec/at-spi-bus-launcher"], env)
    import pyatspi
    # The first start (no settings file) asks for the settings before the main window shows.
    start([os.path.join(folder, "solmira")], dict(env, LD_PRELOAD=FAKETIME[0], FAKETIME="@2026-06-01 09:00:00"))
    app = wait_for("program on the bus", lambda: [a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "solmira"])[0]
    shown = lambda node: node.getState().contains(pyatspi.STATE_SHOWING)
    window = lambda caption: wait_for(caption, lambda: [w for w in app if w.name == caption and shown(w)])[0]
    offered = lambda node: [node] + [n for child in node for n in offered(child)]

    # The window's role, the controls it must offer, a name on every field, no hidden control.
    def check_window(caption, role, named):
        w = window(caption)
        check(w.getRoleName() == role, "%s is a %s, not a %s" % (caption, w.getRoleName(), role))
        nodes = list(offered(w))
        found = {(n.getRoleName(), n.name) for n in nodes}
        check(set(named) <= found, "%s offers none of %s" % (caption, set(named) - found))
        controls = [n for n in nodes if n.getRoleName() in
                    ("text", "spin button", "check box", "push button", "image", "tool bar")]
        nameless = [n.getRoleName() for n in controls if shown(n) and not n.name]
        check(not nameless, "%s: nameless %s" % (caption, nameless))
        hidden = [(c.getRoleName(), c.name) for c in controls if not c.getState().contains(pyatspi.STATE_VISIBLE)]
        check(not hidden, "%s offers %d hidden controls: %s" % (caption, len(hidden), hidden))
        return {n.getRoleName(): n for n in reversed(nodes)} | {n.name: n for n in nodes}

    check_window("Settings", "dialog", [("push button", "OK"), ("check box", "Bell Chime"),
                                        ("check box", "AutoRun daily at"), ("spin button", "AutoRun daily at")])
    # AutoRun brings its notice, an alert; unticked again, OK saves without a daily start.
    keys("Settings", "Tab", "Tab", "space")
    check(window("Support Notice").getRoleName() == "alert", "the notice is not an alert")
    keys("Support Notice", "Return")
    keys("Settings", "space", "Return")
    main = check_window("REZEZO 1.0", "frame", [("spin button", "Date"), ("text", "Reading"), ("label", "Solmira"),
                                                ("image", "Logo"), ("tool bar", "Menu bar")])
    reading = main["text"].queryText()
    text = lambda: reading.getText(0, -1)
    check(text().startswith("Verse 152:"), "the first reading is not today's: %r" % text()[:20])
    check(main["text"].getState().contains(pyatspi.STATE_READ_ONLY), "the reading is offered for editing")
    # Back-tab goes from the button to the reading, in which Down moves the caret a line on.
    main["May All be Well and Happy!"].queryComponent().grabFocus()
    keys("REZEZO 1.0", "shift+Tab")
    check(main["text"].getState().contains(pyatspi.STATE_FOCUSED), "Tab from the button does not reach the reading")
    before = reading.caretOffset
    keys("REZEZO 1.0", "Down")
    check(reading.caretOffset > before, "Down leaves the caret at %d in the reading" % reading.caretOffset)
    main["spin button"].queryEditableText().setTextContents("5 Feb 2026")
    wait_for("Verse 36 for a date set through the bus", lambda: text().startswith("Verse 36:"), 5)

    # What a screen reader speaks: the focus as it moves, and a change of the name, value or
    # description of what has the focus; the changes of anything else it leaves unsaid.
    heard = []
    def hear(event):
        node, change = event.source, event.type.split(":")[-1]
        if change == "focused":
            event.detail1 and heard.append("%s %s" % (node.getRoleName(), node.name))
        elif node.getState().contains(pyatspi.STATE_FOCUSED):
            heard.append({"accessible-description": node.description, "accessible-name": node.name}.get(change)
                         or node.queryText().getText(0, -1))
    pyatspi.Registry.registerEventListener(hear, "object:state-changed:focused", "object:value-changed",
                                           *("object:property-change:accessible-" + p for p in ("name", "description", "value")))
    date = main["spin button"].queryText()
    # A day stepped by key, from the reading and in the date field, is heard with its reading.
    for where, key in (("text", "alt+Right"), ("spin button", "Down")):
        main[where].queryComponent().grabFocus()
        wait_for("the focus on the %s" % where, lambda: main[where].getState().contains(pyatspi.STATE_FOCUSED), 5)
        was, heard[:] = text(), []
        keys("REZEZO 1.0", key)
        wait_for("a new reading after %s" % key, lambda: text() != was, 5)
        news = [date.getText(0, -1), " ".join(text().split("\n")[0:3:2])]
        wait_for("%s heard after %s, not only %s" % (news, key, heard), lambda: all(any(n in h for h in heard) for n in news), 5)
    # A menu opened by F10 or its mnemonic says its first item, which Enter then picks.
    for key in ("F10", "alt+o"):
        heard[:] = []
        keys("REZEZO 1.0", key)
        wait_for("the first item heard after %s, not only %s" % (key, heard), lambda: "menu item About" in heard, 5)
        key == "F10" and keys("REZEZO 1.0", "Escape")
    keys("REZEZO 1.0", "Return")
    check_window("About Solmira", "dialog", [("push button", "Done"), ("text", "Reading"), ("image", "Logo")])


missing = [t for t in ["Xvfb", "xdotool", "dbus-daemon", "/usr/libexec/at-spi-bus-launcher"] if not shutil.which(t)] + (
    ["faketime"] * (not FAKETIME) + ["pyatspi"] * (not importlib.util.find_spec("pyatspi")))
if missing:  # a skip, but under CI, where every test must run, a failure
    ci = os.environ.get("CI") == "true"
    sys.exit(print("FAIL:" if ci else "SKIP:", "not installed:", *missing) or (1 if ci else 77))
signal.signal(signal.SIGALRM, lambda *_: sys.exit("FAIL: the test ran out of time"))
signal.alarm(90)
with tempfile.TemporaryDirectory() as tmp:
    try:
        run(os.path.abspath(sys.argv[1]), tmp)
    finally:
        signal.alarm(0)
        for p in reversed(processes):
            os.killpg(p.pid, signal.SIGKILL)
            p.wait()
sys.exit("%d failed" % len(failures) if failures else print("the program's windows read as they should"))
