#!/usr/bin/env python3
"""Random input ("monkey") test of Korvel's real window.

Starts its own Xvfb, runs the sanitizer build's Korvel in it and sends it drawn random input
for a while: clicks on the controls and anywhere in the window, keys and shortcuts, typing
with umlauts and characters that Windows-1252 lacks, context menus, pastes with and without
an owner of the clipboard or the primary selection, and answers to every dialog that opens.
File dialogs only get paths in a scratch folder, drawn with copies of examples/*.xml.

It fails on a crash or any other abnormal end of Korvel, on a sanitizer report, on a window
that does not answer for 20 s, and on a saved pack that xmllint or `korvel-cli dump` cannot
read. A normal end (the monkey chose "Beenden" and said "Nein") starts Korvel again.

Every step is printed on a line of its own. Step n draws its random numbers from the draw and
n alone, so the same draw gives the same steps for the same window states:

    scripts/monkey.py [--seconds 120] [--draw N] [--steps N] [--korvel build-asan/bin/Korvel]
"""

import argparse
import ctypes
import glob
import os
import queue
import random
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
HANG_SECONDS = 20

# ---------------------------------------------------------------------------------------------
# Xlib through ctypes: the probe of the window's event loop needs a client message sent and its
# answer received, which no command line tool does.

c_ulong, c_long, c_int, c_uint, c_void_p = ctypes.c_ulong, ctypes.c_long, ctypes.c_int, ctypes.c_uint, ctypes.c_void_p


class XAnyEvent(ctypes.Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int), ("display", c_void_p),
                ("window", c_ulong)]


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int), ("display", c_void_p),
                ("window", c_ulong), ("message_type", c_ulong), ("format", c_int), ("l", c_long * 5)]


class XMapRequestEvent(ctypes.Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int), ("display", c_void_p),
                ("parent", c_ulong), ("window", c_ulong)]


class XConfigureRequestEvent(ctypes.Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int), ("display", c_void_p),
                ("parent", c_ulong), ("window", c_ulong), ("x", c_int), ("y", c_int), ("width", c_int),
                ("height", c_int), ("border_width", c_int), ("above", c_ulong), ("detail", c_int),
                ("value_mask", c_ulong)]


class XCirculateRequestEvent(ctypes.Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int), ("display", c_void_p),
                ("parent", c_ulong), ("window", c_ulong), ("place", c_int)]


class XMapEvent(ctypes.Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int), ("display", c_void_p),
                ("event", c_ulong), ("window", c_ulong), ("override_redirect", c_int)]


class XEvent(ctypes.Union):
    _fields_ = [("type", c_int), ("xany", XAnyEvent), ("xclient", XClientMessageEvent),
                ("xmaprequest", XMapRequestEvent), ("xconfigurerequest", XConfigureRequestEvent),
                ("xcirculaterequest", XCirculateRequestEvent), ("xmap", XMapEvent), ("pad", c_long * 24)]


class XWindowChanges(ctypes.Structure):
    _fields_ = [("x", c_int), ("y", c_int), ("width", c_int), ("height", c_int), ("border_width", c_int),
                ("sibling", c_ulong), ("stack_mode", c_int)]


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", c_int), ("y", c_int), ("width", c_int), ("height", c_int), ("border_width", c_int),
                ("depth", c_int), ("visual", c_void_p), ("root", c_ulong), ("c_class", c_int),
                ("bit_gravity", c_int), ("win_gravity", c_int), ("backing_store", c_int),
                ("backing_planes", c_ulong), ("backing_pixel", c_ulong), ("save_under", c_int),
                ("colormap", c_ulong), ("map_installed", c_int), ("map_state", c_int),
                ("all_event_masks", c_long), ("your_event_mask", c_long), ("do_not_propagate_mask", c_long),
                ("override_redirect", c_int), ("screen", c_void_p)]


ClientMessage, MapRequest, ConfigureRequest, CirculateRequest, MapNotify = 33, 20, 23, 27, 19
SubstructureNotifyMask, SubstructureRedirectMask = 1 << 19, 1 << 20
IsViewable, RevertToPointerRoot, PlaceOnTop = 2, 1, 0

xlib = ctypes.cdll.LoadLibrary("libX11.so.6")
xlib.XOpenDisplay.restype = c_void_p
xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
xlib.XDefaultRootWindow.restype = c_ulong
xlib.XDefaultRootWindow.argtypes = [c_void_p]
xlib.XInternAtom.restype = c_ulong
xlib.XInternAtom.argtypes = [c_void_p, ctypes.c_char_p, c_int]
xlib.XSendEvent.argtypes = [c_void_p, c_ulong, c_int, c_long, ctypes.POINTER(XEvent)]
xlib.XSelectInput.argtypes = [c_void_p, c_ulong, c_long]
for name in ("XFlush", "XPending", "XConnectionNumber", "XCloseDisplay"):
    getattr(xlib, name).argtypes = [c_void_p]
xlib.XSync.argtypes = [c_void_p, c_int]
xlib.XNextEvent.argtypes = [c_void_p, ctypes.POINTER(XEvent)]
xlib.XMapWindow.argtypes = [c_void_p, c_ulong]
xlib.XRaiseWindow.argtypes = [c_void_p, c_ulong]
xlib.XLowerWindow.argtypes = [c_void_p, c_ulong]
xlib.XConfigureWindow.argtypes = [c_void_p, c_ulong, c_uint, ctypes.POINTER(XWindowChanges)]
xlib.XSetInputFocus.argtypes = [c_void_p, c_ulong, c_int, c_ulong]
xlib.XQueryTree.argtypes = [c_void_p, c_ulong, ctypes.POINTER(c_ulong), ctypes.POINTER(c_ulong),
                            ctypes.POINTER(ctypes.POINTER(c_ulong)), ctypes.POINTER(c_uint)]
xlib.XGetWindowAttributes.argtypes = [c_void_p, c_ulong, ctypes.POINTER(XWindowAttributes)]
xlib.XGetWindowProperty.argtypes = [c_void_p, c_ulong, c_ulong, c_long, c_long, c_int, c_ulong,
                                    ctypes.POINTER(c_ulong), ctypes.POINTER(c_int), ctypes.POINTER(c_ulong),
                                    ctypes.POINTER(c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ubyte))]
xlib.XFree.argtypes = [c_void_p]
xlib.XGetAtomName.restype = c_void_p
xlib.XGetAtomName.argtypes = [c_void_p, c_ulong]

# Windows vanish between the query and the use all the time; Xlib's default handler would end
# the harness on the first BadWindow.
X_ERROR_HANDLER = ctypes.CFUNCTYPE(c_int, c_void_p, c_void_p)(lambda display, error: 0)
xlib.XSetErrorHandler(X_ERROR_HANDLER)
xlib.XInitThreads()


class Window:
    def __init__(self, wid, x, y, width, height, title, kind):
        self.wid, self.x, self.y, self.width, self.height = wid, x, y, width, height
        self.title, self.kind = title, kind

    def __repr__(self):
        return f'"{self.title}" ({self.kind}, {self.width}x{self.height})'


class Display:
    """One connection, used by one thread only."""

    def __init__(self, name):
        self.d = xlib.XOpenDisplay(name.encode())
        if not self.d:
            raise RuntimeError(f"cannot open display {name}")
        self.root = xlib.XDefaultRootWindow(self.d)
        self.atoms = {}

    def atom(self, name):
        if name not in self.atoms:
            self.atoms[name] = xlib.XInternAtom(self.d, name.encode(), 0)
        return self.atoms[name]

    def prop(self, wid, name):
        kind, fmt, count, after = c_ulong(), c_int(), c_ulong(), c_ulong()
        data = ctypes.POINTER(ctypes.c_ubyte)()
        if xlib.XGetWindowProperty(self.d, wid, self.atom(name), 0, 4096, 0, 0, ctypes.byref(kind),
                                   ctypes.byref(fmt), ctypes.byref(count), ctypes.byref(after),
                                   ctypes.byref(data)) != 0 or not data:
            return None
        try:
            if fmt.value == 8:
                return ctypes.string_at(data, count.value)
            if fmt.value == 32:  # Xlib hands 32-bit items over as longs
                return list(ctypes.cast(data, ctypes.POINTER(c_ulong))[: count.value])
            return None
        finally:
            xlib.XFree(data)

    def atom_name(self, atom):
        text = xlib.XGetAtomName(self.d, atom)
        if not text:
            return ""
        try:
            return ctypes.string_at(text).decode()
        finally:
            xlib.XFree(text)

    def windows_of(self, pid):
        """The viewable top-level windows of the process, the topmost first."""
        root, parent, count = c_ulong(), c_ulong(), c_uint()
        children = ctypes.POINTER(c_ulong)()
        if not xlib.XQueryTree(self.d, self.root, ctypes.byref(root), ctypes.byref(parent),
                               ctypes.byref(children), ctypes.byref(count)):
            return []
        ids = list(children[: count.value])
        if children:
            xlib.XFree(children)
        found = []
        for wid in reversed(ids):
            attributes = XWindowAttributes()
            if not xlib.XGetWindowAttributes(self.d, wid, ctypes.byref(attributes)):
                continue
            if attributes.map_state != IsViewable or self.prop(wid, "_NET_WM_PID") != [pid]:
                continue
            title = (self.prop(wid, "_NET_WM_NAME") or b"").decode("utf-8", "replace")
            types = [self.atom_name(a) for a in (self.prop(wid, "_NET_WM_WINDOW_TYPE") or [])]
            kind = types[0].replace("_NET_WM_WINDOW_TYPE_", "").lower() if types else "normal"
            if attributes.override_redirect and kind == "normal":
                kind = "popup"
            found.append(Window(wid, attributes.x, attributes.y, attributes.width, attributes.height, title,
                                kind))
        return found


class WindowManager(threading.Thread):
    """The smallest window manager: maps what asks to be mapped, grants every configure
    request, raises and focuses new windows, and answers pings.

    The probe of the event loop is _NET_WM_PING: a client message that Qt's X11 platform
    answers from the GUI thread's event processing (also inside the nested loop of a modal
    dialog) by sending it back to the root window. The X server delivers that answer only to
    the client holding SubstructureRedirect on the root window, the window manager, so the
    harness has to be the window manager to see it. A window whose event loop is stuck does
    not answer; xdotool, xprop and the like would, as the X server answers them alone."""

    def __init__(self, display_name):
        super().__init__(daemon=True)
        self.x = Display(display_name)
        xlib.XSelectInput(self.x.d, self.x.root, SubstructureRedirectMask | SubstructureNotifyMask)
        xlib.XSync(self.x.d, 0)
        self.requests = queue.Queue()
        self.wake_read, self.wake_write = os.pipe()
        self.answered = {}
        self.lock = threading.Condition()
        self.stopped = False

    def ping(self, wid, timeout):
        """True when the window's event loop answered within the timeout."""
        token = int(time.monotonic() * 1000) & 0x7FFFFFFF
        with self.lock:
            self.answered.pop(token, None)
        self.requests.put((wid, token))
        os.write(self.wake_write, b"p")
        deadline = time.monotonic() + timeout
        with self.lock:
            while token not in self.answered:
                left = deadline - time.monotonic()
                if left <= 0:
                    return False
                self.lock.wait(left)
            return True

    def stop(self):
        self.stopped = True
        os.write(self.wake_write, b"s")

    def send_ping(self, wid, token):
        event = XEvent()
        message = event.xclient
        message.type, message.window, message.format = ClientMessage, wid, 32
        message.message_type = self.x.atom("WM_PROTOCOLS")
        message.l[0], message.l[1], message.l[2] = self.x.atom("_NET_WM_PING"), token, wid
        xlib.XSendEvent(self.x.d, wid, 0, 0, ctypes.byref(event))

    def handle(self, event):
        d = self.x.d
        if event.type == MapRequest:
            xlib.XRaiseWindow(d, event.xmaprequest.window)
            xlib.XMapWindow(d, event.xmaprequest.window)
        elif event.type == MapNotify and not event.xmap.override_redirect:
            xlib.XSetInputFocus(d, event.xmap.window, RevertToPointerRoot, 0)
        elif event.type == ConfigureRequest:
            request = event.xconfigurerequest
            changes = XWindowChanges(request.x, request.y, request.width, request.height, request.border_width,
                                     request.above, request.detail)
            xlib.XConfigureWindow(d, request.window, request.value_mask & 0x7F, ctypes.byref(changes))
        elif event.type == CirculateRequest:
            request = event.xcirculaterequest
            (xlib.XRaiseWindow if request.place == PlaceOnTop else xlib.XLowerWindow)(d, request.window)
        elif event.type == ClientMessage and event.xclient.window == self.x.root:
            if event.xclient.l[0] == self.x.atom("_NET_WM_PING"):
                with self.lock:
                    self.answered[event.xclient.l[1]] = True
                    self.lock.notify_all()

    def run(self):
        fd = xlib.XConnectionNumber(self.x.d)
        while not self.stopped:
            while True:
                try:
                    wid, token = self.requests.get_nowait()
                except queue.Empty:
                    break
                self.send_ping(wid, token)
            xlib.XFlush(self.x.d)
            while xlib.XPending(self.x.d):
                event = XEvent()
                xlib.XNextEvent(self.x.d, ctypes.byref(event))
                try:
                    self.handle(event)
                except Exception as error:  # the windows must go on being mapped
                    print(f"        window manager: {error!r}", flush=True)
            xlib.XFlush(self.x.d)
            ready, _, _ = select.select([fd, self.wake_read], [], [], 0.5)
            if self.wake_read in ready:
                os.read(self.wake_read, 64)


# ---------------------------------------------------------------------------------------------
# The things the monkey says and where it clicks.

# Window-relative spots of the main window's controls at its start size of 669x651; the lower
# pane has a fixed height, so its spots are measured from the bottom edge.
SPOTS = {
    "Menü Languagepack": (50, 8), "Menü Hilfe": (118, 8),
    "Schlüsselfilter": (96, 46), "Schlüsselliste": (96, (70, 470)),
    "+": (26, 495), "-": (76, 495), "o": (126, 495), "Wordwrap": (185, 495),
    "Kommentar": ((200, 640), (40, 118)), "Übersetzung": ((200, 640), (146, 425)),
    "in HTML umwandeln": (201, 442), "Umbrüche erhalten": (201, 463), "UNIX Linebreak": (201, 484),
    "Verwerfen": (488, 492), "Übernehmen": (609, 492), "Splitter": (193, 265), "Memo-Splitter": (432, 126),
    "Statuszeile": (300, -132), "Reiter Checks": (33, -16), "Reiter Export": (96, -16),
    "Reiter Languagepack": (180, -16), "Reiter Suchen": (265, -16),
    "Seite": ((6, 662), (-113, -31)), "Suchfeld": (170, -102),
}
TEXT_SPOTS = ["Kommentar", "Übersetzung", "Schlüsselfilter", "Suchfeld", "Seite"]

KEYS = ["Delete", "Tab", "shift+Tab", "Return", "Escape", "Up", "Down", "Left", "Right", "Home", "End",
        "Prior", "Next", "BackSpace", "space", "F2", "Menu", "ctrl+Home", "ctrl+End", "shift+Down",
        "shift+End", "shift+Home", "ctrl+shift+Left", "Insert", "KP_Enter"]
SHORTCUTS = ["ctrl+l", "ctrl+n", "ctrl+s", "ctrl+w", "ctrl+a", "ctrl+v", "shift+Insert", "ctrl+c", "ctrl+x",
             "ctrl+z", "ctrl+shift+z", "ctrl+y", "ctrl+Insert", "shift+Delete", "alt+l", "F10", "ctrl+q"]
MENU_KINDS = ("popup_menu", "dropdown_menu", "combo", "popup", "menu")
PASTE_KEYS = ["ctrl+v", "shift+Insert"]
WORDS = ["ä ö ü ß", "Übersetzung", "€", "„Zitat“", "ś", "Привет", "Grüße aus Köln", "a=b", "=", "key_1",
         "Straße\nZeile 2", "<b>&amp;</b>", "ÄÖÜ", "\t", "x", "  ", "Œuvre ž", "日本", "😀", "%s %d", "\\n",
         "Schlüssel", "\"'", "]]>", "-->"]
LETTERS = "abcxyzÄÖÜäöüß€„“śПр =<>&\"'\n0123"


def random_text(rng):
    choice = rng.random()
    if choice < 0.6:
        return rng.choice(WORDS)
    if choice < 0.9:
        return "".join(rng.choice(LETTERS) for _ in range(rng.randint(1, 12)))
    return rng.choice(WORDS) * rng.randint(5, 20)


class Failure(Exception):
    pass


class Monkey:
    def __init__(self, args):
        self.args = args
        self.scratch = tempfile.mkdtemp(prefix="korvel-monkey-")
        self.reports = os.path.abspath(args.reports or os.path.join(self.scratch, "sanitizer-reports"))
        os.makedirs(self.reports, exist_ok=True)
        self.home = os.path.join(self.scratch, ".home")
        os.makedirs(os.path.join(self.home, "runtime"), mode=0o700)
        os.makedirs(os.path.join(self.scratch, "exports"))
        self.packs = []
        for example in sorted(glob.glob(os.path.join(ROOT, "examples", "*.xml"))):
            copy = os.path.join(self.scratch, os.path.basename(example))
            shutil.copyfile(example, copy)
            self.packs.append(copy)
        # A pack cut in the middle and a file that is no pack, to open.
        with open(self.packs[0], "rb") as whole, open(os.path.join(self.scratch, "halb.xml"), "wb") as half:
            content = whole.read()
            half.write(content[: len(content) // 2])
        with open(os.path.join(self.scratch, "kein-pack.xml"), "w") as other:
            other.write("<?xml version=\"1.0\"?><html><body>kein Languagepack</body></html>\n")
        self.packs += [os.path.join(self.scratch, "halb.xml"), os.path.join(self.scratch, "kein-pack.xml")]
        self.drawn = {path: self.stamp(path) for path in self.xml_files()}
        self.xvfb = self.korvel = None
        self.clipboard_owners = {}
        self.restarts = 0
        self.steps = 0
        self.on_top = (0, 0)
        self.window_seen = time.monotonic()

    # --- processes --------------------------------------------------------------------------

    def start_xvfb(self):
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24",
                                      "-nolisten", "tcp"], pass_fds=[write], stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        os.close(write)
        number = b""
        deadline = time.monotonic() + 30
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            if select.select([read], [], [], 1)[0]:
                chunk = os.read(read, 16)
                if not chunk:
                    break
                number += chunk
        os.close(read)
        if not number.strip():
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number.decode().strip()
        os.environ["DISPLAY"] = self.display
        self.wm = WindowManager(self.display)
        self.wm.start()
        self.x = Display(self.display)

    def start_korvel(self):
        env = dict(os.environ, QT_QPA_PLATFORM="xcb", HOME=self.home, DISPLAY=self.display,
                   XDG_RUNTIME_DIR=os.path.join(self.home, "runtime"), XDG_CONFIG_HOME=os.path.join(self.home, "config"),
                   LANG="de_DE.UTF-8", LC_ALL="C.UTF-8")
        for name in ("WAYLAND_DISPLAY", "SESSION_MANAGER", "DBUS_SESSION_BUS_ADDRESS"):
            env.pop(name, None)
        # A window that does not answer gets SIGABRT, which then leaves AddressSanitizer's
        # stack in the reports. libxkbcommon-x11 gives strndup names that are not NUL-terminated,
        # which strndup allows but strict_string_checks reports as soon as Qt connects to X.
        # Allocations keep their whole stack (Qt's libraries have no frame pointers), so that a
        # leak of Qt's own D-Bus connection at exit is known by its library and suppressed.
        env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "halt_on_error=1:detect_leaks=1:exitcode=86:log_path="
                                      + os.path.join(self.reports, "asan")) + ":handle_abort=1:strict_string_checks=0:fast_unwind_on_malloc=0"
        env["LSAN_OPTIONS"] = ":".join(filter(None, [env.get("LSAN_OPTIONS"), "print_suppressions=0", "suppressions="
                                                     + os.path.join(ROOT, "scripts", "monkey-lsan.supp")]))
        env.setdefault("UBSAN_OPTIONS", "halt_on_error=1:print_stacktrace=1:exitcode=86:log_path="
                       + os.path.join(self.reports, "ubsan"))
        self.log = open(os.path.join(self.scratch, "korvel.log"), "ab")
        self.korvel = subprocess.Popen([self.args.korvel], cwd=self.scratch, env=env, stdout=self.log,
                                       stderr=subprocess.STDOUT)
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            if self.korvel.poll() is not None:
                self.check_exit()
                return self.start_korvel()
            if self.main_window():
                self.window_seen = time.monotonic()
                return
            time.sleep(0.1)
        raise Failure("Korvel showed no window within 60 s")

    def check_exit(self):
        """Called when Korvel has ended: a normal end is fine, anything else fails."""
        code = self.korvel.returncode
        self.check_reports()
        if code != 0:
            how = f"signal {-code} ({signal.Signals(-code).name})" if code < 0 else f"exit status {code}"
            raise Failure(f"Korvel ended with {how}")
        self.restarts += 1

    def check_reports(self):
        reports = sorted(glob.glob(os.path.join(self.reports, "*")))
        if reports:
            text = "".join(f"--- {path}\n{open(path, errors='replace').read()}" for path in reports)
            raise Failure("sanitizer report:\n" + text)

    def stop_korvel(self):
        if self.korvel and self.korvel.poll() is None:
            self.korvel.terminate()
            try:
                self.korvel.wait(10)
            except subprocess.TimeoutExpired:
                self.korvel.kill()
                self.korvel.wait()

    def stop_all(self):
        self.stop_korvel()
        for owner in list(self.clipboard_owners.values()):
            self.end(owner)
        if self.xvfb:
            self.wm.stop()
            self.end(self.xvfb)

    @staticmethod
    def end(process):
        if process.poll() is None:
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()

    # --- looking and sending ----------------------------------------------------------------

    def windows(self):
        return self.x.windows_of(self.korvel.pid)

    def main_window(self):
        return next((w for w in self.windows() if w.title == "Velmora" and w.kind == "normal"), None)

    @staticmethod
    def xdotool(*arguments):
        # A window that has just closed makes xdotool fail; that is the window's business.
        try:
            subprocess.run(["xdotool", *map(str, arguments)], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=30)
        except subprocess.TimeoutExpired:
            pass

    def focus(self, window):
        xlib.XSetInputFocus(self.x.d, window.wid, RevertToPointerRoot, 0)
        xlib.XSync(self.x.d, 0)

    def click(self, window, x, y, button=1, repeat=1):
        self.xdotool("mousemove", window.x + x, window.y + y, "click", "--repeat", repeat, "--delay", 60, button)

    def key(self, window, *keys):
        self.focus(window)
        self.xdotool("key", "--delay", 30, *keys)

    def type(self, window, text):
        self.focus(window)
        self.xdotool("type", "--delay", 8, "--", text)

    def spot(self, window, name, rng):
        def coordinate(value, size):
            if isinstance(value, tuple):
                value = rng.randint(*value)
            return value + size if value < 0 else min(value, size - 1)

        x, y = SPOTS[name]
        return coordinate(x, window.width), coordinate(y, window.height)

    def set_selection(self, selection, text, target="UTF8_STRING"):
        previous = self.clipboard_owners.pop(selection, None)
        if previous:
            self.end(previous)
        owner = subprocess.Popen(["xclip", "-selection", selection, "-quiet", "-t", target, "-i"],
                                 stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        owner.stdin.write(text.encode())
        owner.stdin.close()
        self.clipboard_owners[selection] = owner
        time.sleep(0.1)

    def drop_selection(self, selection):
        """Ends our owner of the selection, so that the selection has no owner at all."""
        owner = self.clipboard_owners.pop(selection, None)
        if owner:
            self.end(owner)
        else:
            # Korvel may own it after a copy; a short-lived owner takes it over and goes.
            self.set_selection_then_drop(selection)

    def set_selection_then_drop(self, selection):
        owner = subprocess.Popen(["xclip", "-selection", selection, "-quiet", "-i"], stdin=subprocess.PIPE,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        owner.stdin.close()
        time.sleep(0.1)
        self.end(owner)

    # --- steps ------------------------------------------------------------------------------

    def step(self, rng):
        windows = [w for w in self.windows() if w.kind not in ("tooltip",)]
        main = next((w for w in windows if w.title == "Velmora" and w.kind == "normal"), None)
        if not windows or not main:
            if time.monotonic() - self.window_seen > 2 * HANG_SECONDS:
                raise Failure(f"Korvel runs on without a window for {2 * HANG_SECONDS} s")
            time.sleep(0.3)
            return "kein Fenster zu sehen, warten"
        self.window_seen = time.monotonic()
        top = windows[0]
        self.on_top = (top.wid, self.on_top[1] + 1) if self.on_top[0] == top.wid else (top.wid, 1)
        if top.kind in MENU_KINDS:
            return self.menu_step(rng, top)
        dialogs = [w for w in windows if w is not main and w.kind != "popup_menu"]
        if dialogs and (top is not main or rng.random() < 0.5):
            dialog = dialogs[0]
            if self.on_top[1] > 6:
                self.key(dialog, "Escape")
                return f"{dialog} bleibt offen: Escape"
            return self.dialog_step(rng, dialog)
        return self.main_step(rng, main)

    def menu_step(self, rng, menu):
        choice = rng.random()
        if choice < 0.55:
            x, y = rng.randint(4, max(4, menu.width - 4)), rng.randint(4, max(4, menu.height - 4))
            self.click(menu, x, y)
            return f"Menü {menu}: Klick auf {x},{y}"
        if choice < 0.85:
            downs = rng.randint(1, 8)
            self.key(menu, *(["Down"] * downs), "Return")
            return f"Menü {menu}: {downs}× Down, Return"
        self.key(menu, "Escape")
        return f"Menü {menu}: Escape"

    def dialog_step(self, rng, dialog):
        title = dialog.title
        choice = rng.random()
        if title in ("Informationen", "Fehler", "Info über Velmora"):
            answer = rng.choice([["Return"], ["Escape"], ["space"]])
            self.key(dialog, *answer)
            return f'"{title}": {" ".join(answer)}'
        if title in ("Warnung", "Bestätigung"):
            answer = rng.choice([["Return"], ["Escape"], ["Tab", "space"], ["Tab", "Tab", "space"],
                                 ["Right", "space"], ["shift+Tab", "space"]])
            self.key(dialog, *answer)
            return f'"{title}": {" ".join(answer)}'
        if title == "Schlüssel anlegen":
            if choice < 0.7:
                name = random_text(rng) if rng.random() < 0.8 else ""
                self.key(dialog, "ctrl+a")
                self.type(dialog, name.replace("\n", ""))
                answer = rng.choice(["Return", "Return", "Escape"])
                self.key(dialog, answer)
                return f'"{title}": tippt {name!r}, {answer}'
            if choice < 0.85:
                x, y = rng.randint(0, dialog.width - 1), rng.randint(0, dialog.height - 1)
                self.click(dialog, x, y)
                return f'"{title}": Klick auf {x},{y}'
            self.key(dialog, "Escape")
            return f'"{title}": Escape'
        if dialog.width >= 300 and dialog.height >= 250:
            return self.file_dialog_step(rng, dialog)
        # A message of Qt's file dialog (it has the dialog's title): its default and its
        # escape are the harmless answers (a question to delete a file is answered "No").
        answer = rng.choice(["Return", "Escape"])
        self.key(dialog, answer)
        return f"{dialog}: {answer}"

    def file_dialog_step(self, rng, dialog):
        """Only paths in the scratch folder, typed into the name field, or Escape: clicks in a
        file dialog could wander off and rename or delete files elsewhere."""
        title = dialog.title
        choice = rng.random()
        if choice < 0.12:
            self.key(dialog, "Escape")
            return f'Dateidialog "{title}": Escape'
        if choice < 0.22:
            self.key(dialog, "Return")
            return f'Dateidialog "{title}": Return'
        if title == "Languagepack laden":
            path = rng.choice(self.packs + [os.path.join(self.scratch, "fehlt.xml"), self.scratch + "/"])
        elif title.startswith("Speichern"):
            if rng.random() < 0.4:
                path = rng.choice(self.packs[:3])
            else:
                path = os.path.join(self.scratch, f"gespeichert-{rng.randint(1, 6)}.xml")
            if rng.random() < 0.1:
                path = os.path.join(self.scratch, "fehlt", "gespeichert.xml")
        else:
            # An export file never ends in .xml, so that every *.xml written is a saved pack.
            path = os.path.join(self.scratch, "exports", f"export-{rng.randint(1, 4)}")
        self.key(dialog, "ctrl+a")
        self.type(dialog, path)
        self.key(dialog, "Return")
        return f'Dateidialog "{title}": tippt {path}, Return'

    def main_step(self, rng, main):
        kinds = [("click", 14), ("spot", 18), ("double", 3), ("context", 6), ("middle", 3), ("key", 14),
                 ("shortcut", 12), ("text", 12), ("clipboard", 6), ("paste", 7), ("menu", 4), ("drag", 2)]
        kind = rng.choices([k for k, _ in kinds], [w for _, w in kinds])[0]
        if kind == "click":
            x, y = rng.randint(0, main.width - 1), rng.randint(0, main.height - 1)
            self.click(main, x, y)
            return f"Klick auf {x},{y}"
        if kind in ("spot", "double"):
            name = rng.choice(list(SPOTS))
            x, y = self.spot(main, name, rng)
            self.click(main, x, y, repeat=2 if kind == "double" else 1)
            return f"{'Doppelklick' if kind == 'double' else 'Klick'} auf {name} ({x},{y})"
        if kind == "context":
            name = rng.choice(TEXT_SPOTS + ["Schlüsselliste", "Seite"])
            x, y = self.spot(main, name, rng)
            self.click(main, x, y, button=3)
            return f"Rechtsklick auf {name} ({x},{y})"
        if kind == "middle":
            name = rng.choice(TEXT_SPOTS)
            x, y = self.spot(main, name, rng)
            self.click(main, x, y, button=2)
            return f"Mittelklick (Primärauswahl einfügen) auf {name} ({x},{y})"
        if kind == "key":
            keys = [rng.choice(KEYS) for _ in range(rng.choice([1, 1, 1, 2, 3]))]
            self.key(main, *keys)
            return "Tasten " + " ".join(keys)
        if kind == "shortcut":
            shortcut = rng.choice(SHORTCUTS)
            if shortcut == "ctrl+q" and rng.random() < 0.7:
                shortcut = "ctrl+s"
            self.key(main, shortcut)
            return f"Kürzel {shortcut}"
        if kind == "text":
            text = random_text(rng)
            self.type(main, text)
            return f"tippt {text!r}"
        if kind == "clipboard":
            return self.clipboard_step(rng)
        if kind == "paste":
            what = self.clipboard_step(rng)
            name = rng.choice(["Kommentar", "Übersetzung", "Übersetzung", "Schlüsselfilter", "Suchfeld"])
            x, y = self.spot(main, name, rng)
            self.click(main, x, y)
            how = rng.choice(PASTE_KEYS + ["Kontextmenü"])
            if how == "Kontextmenü":
                self.click(main, x, y, button=3)
                how = "Kontextmenü, " + self.choose_paste(rng)
            else:
                self.key(main, how)
            return f"{what}; Klick auf {name} ({x},{y}), {how}"
        if kind == "menu":
            name = rng.choice(["Menü Languagepack", "Menü Languagepack", "Menü Hilfe"])
            x, y = self.spot(main, name, rng)
            self.click(main, x, y)
            return f"Klick auf {name}"
        x1, y1 = rng.randint(0, main.width - 1), rng.randint(0, main.height - 1)
        x2, y2 = rng.randint(0, main.width - 1), rng.randint(0, main.height - 1)
        self.xdotool("mousemove", main.x + x1, main.y + y1, "mousedown", 1, "mousemove", main.x + x2,
                     main.y + y2, "mouseup", 1)
        return f"Ziehen von {x1},{y1} nach {x2},{y2}"

    def choose_paste(self, rng):
        """"Einfügen" in the context menu just opened: by its mnemonic or by a click on its row
        (the sixth of the text fields' menu, whose rows are measured at its height of 158)."""
        by_key = rng.random() < 0.5
        for _ in range(20):
            menu = next((w for w in self.windows() if w.kind in MENU_KINDS), None)
            if menu:
                if by_key or menu.height != 158:
                    self.key(menu, "udiaeresis")
                    return "Einf_ügen (Taste ü)"
                self.click(menu, 40, 100)
                return "Klick auf Einfügen"
            time.sleep(0.05)
        return "kein Kontextmenü zu sehen"

    def clipboard_step(self, rng):
        selection = rng.choice(["clipboard", "clipboard", "primary"])
        choice = rng.random()
        if choice < 0.45:
            self.drop_selection(selection)
            return f"{selection} ohne Besitzer"
        text = random_text(rng) if choice < 0.9 else ""
        target = rng.choice(["UTF8_STRING", "UTF8_STRING", "text/html", "STRING"])
        self.set_selection(selection, text, target)
        return f"{selection} = {text!r} ({target})"

    # --- saved packs -------------------------------------------------------------------------

    def xml_files(self):
        return [p for p in glob.glob(os.path.join(self.scratch, "**", "*.xml"), recursive=True)
                if not p.startswith(self.home)]

    @staticmethod
    def stamp(path):
        info = os.stat(path)
        return info.st_mtime_ns, info.st_size

    def check_saved_packs(self):
        problems = []
        written = [p for p in self.xml_files() if self.drawn.get(p) != self.stamp(p)]
        for path in written:
            for command in (["xmllint", "--noout", path], [self.args.cli, "dump", path]):
                result = subprocess.run(command, capture_output=True, text=True, errors="replace")
                if result.returncode != 0:
                    problems.append(f"{' '.join(command)}: exit {result.returncode}\n{result.stderr[-2000:]}")
        self.check_reports()
        if problems:
            raise Failure("a saved pack cannot be read:\n" + "\n".join(problems))
        return len(written)

    # --- the run -----------------------------------------------------------------------------

    def run(self):
        args = self.args
        print(f"monkey: draw {args.draw}, {args.seconds} s, scratch folder {self.scratch}", flush=True)
        self.start_xvfb()
        self.start_korvel()
        deadline = time.monotonic() + args.seconds
        shot = None
        while time.monotonic() < deadline and (args.steps is None or self.steps < args.steps):
            rng = random.Random(f"{args.draw}/{self.steps}")
            description = self.step(rng)
            print(f"step {self.steps}: {description}", flush=True)
            if os.environ.get("KORVEL_MONKEY_SHOTS"):
                time.sleep(0.3)
                self.screenshot(os.path.join(os.environ["KORVEL_MONKEY_SHOTS"], f"{self.steps:04d}.png"))
            self.steps += 1
            self.after_step()
            if args.screenshot and not shot and time.monotonic() > deadline - args.seconds / 2:
                shot = self.screenshot(args.screenshot)
        # A save that the last step started ends before the loop answers a second ping.
        for _ in range(2):
            main = self.main_window()
            if main:
                self.wm.ping(main.wid, HANG_SECONDS)
            time.sleep(0.3)
        self.stop_korvel()
        return self.check_saved_packs()

    def after_step(self):
        time.sleep(0.05)
        if self.korvel.poll() is not None:
            self.check_exit()
            print(f"        Korvel ended normally; started again ({self.restarts}. time)", flush=True)
            self.start_korvel()
            return
        main = self.main_window()
        if main and not self.wm.ping(main.wid, HANG_SECONDS):
            if self.korvel.poll() is not None:
                return self.after_step()
            self.screenshot("haengt")
            self.korvel.send_signal(signal.SIGABRT)
            try:
                self.korvel.wait(30)
            except subprocess.TimeoutExpired:
                pass
            reports = sorted(glob.glob(os.path.join(self.reports, "*")))
            text = "".join(f"--- {path}\n{open(path, errors='replace').read()}" for path in reports)
            raise Failure(f"the window did not answer for {HANG_SECONDS} s\n{text}")
        self.check_reports()

    def screenshot(self, name):
        path = name if name.endswith(".png") else os.path.join(self.scratch, f"{name}.png")
        try:  # ImageMagick's import, where it is installed
            subprocess.run(["import", "-window", "root", path], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=30, check=True)
        except (OSError, subprocess.SubprocessError):
            return "none"
        return path


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seconds", type=float, default=120)
    parser.add_argument("--draw", type=int, default=None, help="random when not given (printed)")
    parser.add_argument("--steps", type=int, default=None, help="stop after this many steps")
    parser.add_argument("--korvel", default=os.path.join(ROOT, "build-asan", "bin", "Korvel"))
    parser.add_argument("--cli", default=None, help="korvel-cli beside Korvel by default")
    parser.add_argument("--reports", default=None, help="folder of the sanitizer reports")
    parser.add_argument("--screenshot", default=None, help="a picture of the screen at the end, to this file")
    args = parser.parse_args()
    if args.draw is None:
        args.draw = int.from_bytes(os.urandom(4), "big")
    args.korvel = os.path.abspath(args.korvel)
    args.cli = os.path.abspath(args.cli or os.path.join(os.path.dirname(args.korvel), "korvel-cli"))
    monkey = Monkey(args)
    started = time.monotonic()
    try:
        written = monkey.run()
    except Failure as failure:
        shot = monkey.screenshot("fehler") if monkey.xvfb else ""
        monkey.stop_all()
        where = f"after step {monkey.steps - 1}" if monkey.steps else "before the first step"
        print(f"monkey: FAILED {where}: {failure}")
        log = os.path.join(monkey.scratch, "korvel.log")
        if os.path.exists(log):
            print("--- Korvel's output (end):\n" + open(log, errors="replace").read()[-4000:])
        print(f"monkey: draw {args.draw}; the scratch folder {monkey.scratch} is kept (screen: {shot}).")
        print(f"monkey: replay with scripts/monkey.py --draw {args.draw} --steps {monkey.steps}"
              f" (or ./dev monkey {args.seconds:g} {args.draw})")
        return 1
    except BaseException:
        monkey.stop_all()
        raise
    monkey.stop_all()
    print(f"monkey: draw {args.draw}: {monkey.steps} steps in {time.monotonic() - started:.0f} s, "
          f"{monkey.restarts} normal ends, {written} saved packs read back: passed")
    shutil.rmtree(monkey.scratch, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
