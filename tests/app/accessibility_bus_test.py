#!/usr/bin/env python3
"""Reads the editor from outside the program over the accessibility bus.

Starts a private session bus, the AT-SPI bus and an X server, runs the real
program on a sample file, and asks through pyatspi for the editor's text,
caret, lines and character extents, moves the caret and inserts text.
Exits 77 (skipped) only when a program or module it needs is missing.
"""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

SKIP = 77
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
SAMPLE = ["; 中文 sample", "start:  mov ax, 1", "        int 0x10", "        ret"]


def skip(what):
    print(f"SKIPPED: {what} is missing (scripts/deps.sh installs it)")
    sys.exit(SKIP)


def wait_for(what, probe, timeout=15.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = probe()
        if value:
            return value
        time.sleep(0.1)
    raise AssertionError(f"timed out waiting for {what}")


def find_editor(pyatspi):
    """The accessible whose text begins with the sample's first line."""
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is None or "torvane" not in (app.name or "").lower():
            continue
        todo = [app]
        while todo:
            node = todo.pop()
            try:
                if node.getRole() == pyatspi.ROLE_MENU_BAR:
                    continue
                text = node.queryText() if "Text" in pyatspi.utils.listInterfaces(node) else None
                if text is not None and text.getText(0, -1).startswith(SAMPLE[0]):
                    return node
                todo.extend(child for child in node if child is not None)
            except Exception:  # a node that went away meanwhile
                continue
    return None


def accepts(path):
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as probe:
        try:
            probe.connect(path)
            return True
        except OSError:
            return False


def system_python_with_pyatspi():
    """Debian's module belongs to Debian's interpreter: run there if this one lacks it."""
    try:
        import pyatspi  # noqa: F401  (only whether it loads)
    except ImportError:
        system = "/usr/bin/python3"
        if os.path.realpath(sys.executable) != os.path.realpath(system) and os.access(system, os.X_OK) \
                and not os.environ.get("TORVANE_A11Y_REEXEC"):
            os.environ["TORVANE_A11Y_REEXEC"] = "1"
            os.execv(system, [system] + sys.argv)
        skip("the Python module pyatspi (python3-pyatspi)")


def main():
    program = os.path.abspath(sys.argv[1])
    system_python_with_pyatspi()
    for tool in ("Xvfb", "dbus-daemon"):
        if shutil.which(tool) is None:
            skip(tool)
    if not os.access(BUS_LAUNCHER, os.X_OK):
        skip("at-spi-bus-launcher (at-spi2-core)")
    work = tempfile.mkdtemp(prefix="torvane-a11y-")
    processes = []
    editor_process = None
    try:
        runtime = os.path.join(work, "run")
        os.mkdir(runtime, 0o700)
        env = dict(os.environ, HOME=work, XDG_RUNTIME_DIR=runtime,
                   XDG_CONFIG_HOME=os.path.join(work, "config"),
                   XDG_STATE_HOME=os.path.join(work, "state"))
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        env.pop("AT_SPI_BUS_ADDRESS", None)

        # A display number no other server holds; the server is ready once
        # it accepts a connection. Without -noreset it would restart when its
        # last client leaves (the probe, the bus launcher) and turn the
        # program away meanwhile.
        number = next(n for n in range(100 + os.getpid() % 300, 1000)
                      if not os.path.exists(f"/tmp/.X{n}-lock")
                      and not os.path.exists(f"/tmp/.X11-unix/X{n}"))
        xvfb_log = open(os.path.join(work, "xvfb.log"), "w")
        processes.append(subprocess.Popen(
            ["Xvfb", f":{number}", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"],
            stdout=xvfb_log, stderr=subprocess.STDOUT, env=env))
        wait_for("the X server", lambda: accepts(f"/tmp/.X11-unix/X{number}"), 10.0)
        env["DISPLAY"] = f":{number}"

        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address"],
                               stdout=subprocess.PIPE, text=True, env=env)
        processes.append(bus)
        env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        processes.append(subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"], env=env,
                                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))

        sample = os.path.join(work, "sample.asm")
        with open(sample, "w", encoding="utf-8") as f:
            f.write("\n".join(SAMPLE) + "\n")
        program_env = dict(env, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                           TORVANE_CODEPAGE="UTF-8", LANG="C.UTF-8")
        program_log = open(os.path.join(work, "program.log"), "w")
        editor_process = subprocess.Popen([program, sample], cwd=work, env=program_env,
                                          stdout=program_log, stderr=subprocess.STDOUT)
        processes.append(editor_process)

        # pyatspi finds the buses through the environment when it loads.
        os.environ.update(env)
        import pyatspi
        editor = wait_for("the editor on the accessibility bus", lambda: find_editor(pyatspi))
        text = editor.queryText()
        expected = "\n".join(SAMPLE)
        assert text.getText(0, -1) == expected, repr(text.getText(0, -1))
        assert text.characterCount == len(expected), text.characterCount
        assert editor.getState().contains(pyatspi.STATE_EDITABLE)
        assert editor.getState().contains(pyatspi.STATE_MULTI_LINE)
        assert text.caretOffset == 0, text.caretOffset

        # The second line, asked by an offset inside it.
        second = len(SAMPLE[0]) + 1 + 3
        line, start, end = text.getTextAtOffset(second, pyatspi.TEXT_BOUNDARY_LINE_START)
        assert line == SAMPLE[1] + "\n", repr(line)
        assert (start, end) == (len(SAMPLE[0]) + 1, len(SAMPLE[0]) + len(SAMPLE[1]) + 2)
        # The wide characters count once each and take two cells.
        x, y, width, height = text.getCharacterExtents(2, pyatspi.DESKTOP_COORDS)
        x1, _, width1, _ = text.getCharacterExtents(1, pyatspi.DESKTOP_COORDS)
        assert height > 0 and width == 2 * width1, (width, width1)

        # The caret moved from outside, read back; then text inserted there.
        assert text.setCaretOffset(second)
        wait_for("the caret to move", lambda: text.caretOffset == second, 5.0)
        editable = editor.queryEditableText()
        editable.insertText(second, "X", 1)
        wait_for("the inserted text", lambda: text.getText(0, -1).startswith(
            SAMPLE[0] + "\n" + SAMPLE[1][:3] + "X"), 5.0)
        assert text.characterCount == len(expected) + 1
        print("accessibility bus: text, caret, lines, extents and an edit read from outside")
    except BaseException:
        if editor_process is not None:
            print(f"program exit status: {editor_process.poll()}")
            with open(os.path.join(work, "program.log"), encoding="utf-8", errors="replace") as f:
                print(f.read()[-4000:])
            with open(os.path.join(work, "xvfb.log"), encoding="utf-8", errors="replace") as f:
                print("Xvfb:", f.read()[-2000:])
        raise
    finally:
        for process in reversed(processes):
            process.terminate()
        for process in reversed(processes):
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
