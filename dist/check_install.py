"""Installs the package with apt-get, starts the program by its menu entry's command on a
virtual X server, checks that it shows the soup and that Escape ends it with status 0, then
removes the package and checks that none of its files is left.

Usage, as root, with vorplane not installed: python3 dist/check_install.py ./vorplane_....deb
Exits 0 when every check holds, 1 with a message otherwise.
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from session import BLACK, Failure, Session, check, near  # noqa: E402

APT = ["apt-get", "-o", "DPkg::Lock::Timeout=600", "-y", "-qq"]
ENTRY = "/usr/share/applications/vorplane.desktop"


def status():
    r = subprocess.run(["dpkg-query", "-W", "-f=${Status}", "vorplane"], capture_output=True, text=True)
    return r.stdout


def apt(*args):
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    r = subprocess.run(APT + list(args), env=env, capture_output=True, text=True)
    check(r.returncode == 0, "apt-get %s failed: %s" % (" ".join(args), r.stderr))


def menu_command():
    with open(ENTRY) as f:
        return next(line[len("Exec="):].strip() for line in f if line.startswith("Exec="))


def play(command):
    """The soup on the screen, then Escape: the program must end with status 0."""
    with Session(command) as s:
        s.wait_for(lambda shot: sum(not near(c, BLACK) for _, _, c in shot.interior()) > 3000,
                   "the soup from " + command)
        s.run("xdotool", "key", "Escape")
        s.proc.wait(timeout=10)
        check(s.proc.returncode == 0, "%s ended with status %d after Escape; output: %s"
              % (command, s.proc.returncode, s.output()))


def main(deb):
    check(os.geteuid() == 0, "installing needs root")
    check("installed" not in status(), "vorplane is already installed; remove it first")
    apt("install", os.path.abspath(deb))
    try:
        files = subprocess.run(["dpkg", "-L", "vorplane"], capture_output=True, text=True,
                               check=True).stdout.split()
        own = [f for f in files if not os.path.isdir(f) or "vorplane" in f]
        play(menu_command())
    finally:
        apt("remove", "vorplane")
    left = [f for f in own if os.path.lexists(f)]
    check(not left and status() in ("", "unknown ok not-installed"),
          "left behind after apt-get remove: %s %s" % (" ".join(left), status()))
    print("%s: installed %d files and directories of its own, ran from the menu entry, removed"
          % (deb, len(own)))


if __name__ == "__main__":
    try:
        main(sys.argv[1])
    except Failure as e:
        print("check_install: %s" % e, file=sys.stderr)
        sys.exit(1)
