#!/usr/bin/env python3
"""The phone's directory screen in a real browser: dirsim --web on a fresh demo data folder, headless
Chromium driven through chromedriver's WebDriver protocol, both on 127.0.0.1 only. It presses keys on the
keypad and checks that the list narrows, browses the remote phonebook and a network directory, rings a
known and a blacklisted number, and saves a screenshot of every step.

Usage: web-browser-test.py --dirsim BUILD/tools/dirsim/dirsim --work BUILD/web-test
Screenshots go to WORK/../web-screenshots. Exit status 0 when every check held."""

import argparse
import base64
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import time
import urllib.error
import urllib.request

ELEMENT = "element-6066-11e4-a52e-4f735466cecf"
# Chromium may reach nothing but 127.0.0.1: every other name fails to resolve, every other address goes to
# a proxy on a closed loopback port, and the background services that would call home are off.
CHROMIUM_ARGS = [
    "--headless=new", "--no-sandbox", "--no-first-run", "--no-default-browser-check",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--disable-default-apps", "--disable-extensions", "--disable-domain-reliability",
    "--disable-client-side-phishing-detection", "--disable-breakpad", "--metrics-recording-only",
    "--no-pings", "--disable-features=Translate,OptimizationHints,MediaRouter,AutofillServerCommunication",
    "--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1",
    "--proxy-server=http://127.0.0.1:9", "--proxy-bypass-list=127.0.0.1",
    "--window-size=1000,820", "--disable-gpu", "--disable-dev-shm-usage",
]


class Failure(Exception):
    pass


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def http(method, url, body=None, timeout=30):
    data = None if body is None else json.dumps(body).encode()
    request = urllib.request.Request(url, data=data, method=method,
                                     headers={"Content-Type": "application/json"})
    try:
        with urllib.request.urlopen(request, timeout=timeout) as response:
            return json.loads(response.read() or b"{}")
    except urllib.error.HTTPError as error:
        return json.loads(error.read() or b"{}")


class Browser:
    """A WebDriver session of chromedriver."""

    def __init__(self, driver_url, profile):
        capabilities = {"capabilities": {"alwaysMatch": {
            "browserName": "chrome", "goog:loggingPrefs": {"browser": "ALL"},
            "goog:chromeOptions": {"binary": shutil.which("chromium") or "/usr/bin/chromium",
                                   "args": CHROMIUM_ARGS + ["--user-data-dir=" + profile]}}}}
        answer = http("POST", driver_url + "/session", capabilities, timeout=90)
        if "sessionId" not in answer.get("value", {}):
            raise Failure("chromedriver started no browser: %s" % answer)
        self.url = driver_url + "/session/" + answer["value"]["sessionId"]

    def call(self, method, path, body=None):
        answer = http(method, self.url + path, body)
        value = answer.get("value")
        if isinstance(value, dict) and "error" in value:
            raise Failure("%s %s: %s" % (method, path, value.get("message", value["error"])))
        return value

    def open(self, url):
        self.call("POST", "/url", {"url": url})

    def script(self, text, *args):
        return self.call("POST", "/execute/sync", {"script": text, "args": list(args)})

    def click(self, css):
        found = self.call("POST", "/element", {"using": "css selector", "value": css})
        self.call("POST", "/element/%s/click" % found[ELEMENT], {})

    def type_into(self, css, text):
        found = self.call("POST", "/element", {"using": "css selector", "value": css})
        self.call("POST", "/element/%s/clear" % found[ELEMENT], {})
        self.call("POST", "/element/%s/value" % found[ELEMENT], {"text": text})

    def keys(self, text):
        presses = []
        for key in text:
            presses += [{"type": "keyDown", "value": key}, {"type": "keyUp", "value": key}]
        self.call("POST", "/actions", {"actions": [{"type": "key", "id": "keyboard", "actions": presses}]})

    def screenshot(self, path):
        with open(path, "wb") as out:
            out.write(base64.b64decode(self.call("GET", "/screenshot")))

    def close(self):
        try:
            http("DELETE", self.url, timeout=20)
        except OSError:
            pass


class Steps:
    """The checks, one screenshot after each."""

    def __init__(self, browser, shots):
        self.browser = browser
        self.shots = shots
        self.count = 0
        self.passed = 0

    def settle(self, condition="true", timeout=20):
        """Waits until no request is under way and the condition (a script expression) holds."""
        deadline = time.monotonic() + timeout
        script = "return document.body.dataset.busy === '0' && (%s);" % condition
        while time.monotonic() < deadline:
            if self.browser.script(script):
                time.sleep(0.05)
                if self.browser.script(script):
                    return
            time.sleep(0.05)
        raise Failure("the page never showed: " + condition)

    def state(self):
        return self.browser.script(
            "return {view: document.body.dataset.view, title: document.getElementById('title').textContent,"
            " key: document.getElementById('search-key').textContent,"
            " total: Number(document.getElementById('list').dataset.total),"
            " names: [...document.querySelectorAll('#list li .name')].map(n => n.textContent),"
            " message: document.getElementById('message').textContent};")

    def shot(self, name):
        self.count += 1
        path = os.path.join(self.shots, "%02d-%s.png" % (self.count, name))
        self.browser.screenshot(path)
        return path

    def check(self, condition, what):
        if not condition:
            raise Failure(what)
        self.passed += 1

    def open_row(self, name):
        index = self.state()["names"].index(name)
        self.browser.click("#list li:nth-child(%d)" % (index + 1))


def network_directory(steps, browser):
    """Opens the first network directory (the combined list) and narrows it on the keypad."""
    steps.check("Network Directory" in steps.state()["names"],
                "the home screen offers no network directory: %s" % steps.state()["names"])
    steps.open_row("Network Directory")
    steps.settle("document.body.dataset.view === 'BsftDirectoriesView'")
    directories = steps.state()["names"]
    steps.check(len(directories) > 1, "network directories: %s" % directories)
    steps.shot("network-directories")
    steps.open_row(directories[0])
    steps.settle("document.body.dataset.view === 'BsftListView'")
    combined = steps.state()
    steps.check(combined["total"] > 0 and len(combined["names"]) > 0, "network directory: %s" % combined)
    steps.shot("network-directory-list")
    browser.click("#keypad button[data-key='2']")
    steps.settle("document.getElementById('search-key').textContent === '2'")
    narrowed = steps.state()
    steps.check(0 < narrowed["total"] < combined["total"], "the network directory did not narrow: %s" % narrowed)
    steps.shot("network-directory-keypad-2")
    for _ in range(2):
        browser.click("#softkeys button[data-softkey='0']")
        time.sleep(0.1)
        steps.settle()


def run_steps(steps, browser, page_url, api_url):
    known = http("POST", api_url, {"line": "contacts --size 1"})["result"]["contacts"][0]
    blocked = http("POST", api_url, {"line": "blacklist --size 1"})["result"]["contacts"][0]

    browser.open(page_url)
    steps.settle("document.querySelectorAll('#list li.menu').length > 0")
    steps.settle("document.getElementById('events-state').textContent === 'live'")
    home = steps.state()["names"]
    steps.check("Local Directory" in home and "Remote Phonebook" in home, "home screen: %s" % home)
    steps.shot("home-shortcuts")

    steps.open_row("Local Directory")
    steps.settle("document.body.dataset.view === 'GroupsView'")
    steps.open_row("All Contacts")
    steps.settle("document.body.dataset.view === 'ContactsView'")
    everyone = steps.state()
    steps.check(everyone["total"] > 100 and len(everyone["names"]) == 10, "all contacts: %s" % everyone)
    steps.shot("all-contacts")

    totals = [everyone["total"]]
    for key in "62":
        browser.click("#keypad button[data-key='%s']" % key)
        typed = "62"[: len(totals)]
        steps.settle("document.getElementById('search-key').textContent === '%s'" % typed)
        state = steps.state()
        steps.check(0 < state["total"] < totals[-1] or (len(totals) > 1 and 0 < state["total"] <= totals[-1]),
                    "the list did not narrow after %s: %s" % (typed, state))
        totals.append(state["total"])
        steps.shot("keypad-" + typed)
    browser.click("#keypad button[data-key='*']")
    steps.settle("document.getElementById('search-key').textContent === '6'")
    steps.check(steps.state()["total"] == totals[1], "taking a key back did not widen the list again")
    steps.open_row(steps.state()["names"][0])
    steps.settle("document.body.dataset.view === 'LocalContactView'")
    steps.shot("contact-details")
    for _ in range(3):
        browser.click("#softkeys button[data-softkey='0']")
        time.sleep(0.1)
        steps.settle()
    steps.settle("document.body.dataset.view === 'HomeView'")

    steps.open_row("Remote Phonebook")
    steps.settle("document.body.dataset.view === 'RemoteSlotsView'")
    slots = steps.state()["names"]
    steps.open_row(slots[0])
    steps.settle("document.body.dataset.view === 'RemoteNodeView'")
    menus = steps.state()["names"]
    steps.check(len(menus) > 0, "the first remote phonebook is empty")
    steps.shot("remote-top")
    steps.open_row(menus[-1] if "Departments" not in menus else "Departments")
    steps.settle("document.getElementById('title').textContent !== '%s'" % slots[0])
    steps.open_row(steps.state()["names"][0])
    steps.settle("document.querySelectorAll('#list li.entry').length > 0")
    directory = steps.state()
    steps.check(len(directory["names"]) > 0, "the remote directory is empty: %s" % directory)
    steps.shot("remote-directory")
    browser.click("#softkeys button[data-softkey='1']")
    browser.keys("H")
    steps.settle("document.getElementById('title').textContent === 'Help desk'")
    steps.check(len(steps.state()["names"]) > 0, "the soft key's directory is empty")
    steps.shot("remote-soft-key")
    for _ in range(4):
        browser.click("#softkeys button[data-softkey='0']")
        time.sleep(0.1)
        steps.settle()
    steps.settle("document.body.dataset.view === 'RemoteSlotsView'")
    browser.click("#softkeys button[data-softkey='0']")
    steps.settle("document.body.dataset.view === 'HomeView'")

    if http("POST", api_url, {"line": "help bsft"}).get("ok"):
        network_directory(steps, browser)
    else:
        print("web: this dirsim has no network directory commands; that step did not run")

    browser.type_into("#call-number", known["mobile"])
    browser.click("#ring")
    steps.settle("document.getElementById('call-card').dataset.state === 'ringing'")
    name = browser.script("return document.getElementById('call-name').textContent;")
    steps.check(name == known["name"], "the call from %s showed %s" % (known["mobile"], name))
    steps.shot("incoming-known")

    browser.type_into("#call-number", blocked["mobile"])
    browser.click("#ring")
    steps.settle("document.getElementById('call-card').dataset.state === 'refused'")
    verdict = browser.script("return document.getElementById('call-verdict').textContent;")
    steps.check("blacklist" in verdict, "the blacklisted call showed: %s" % verdict)
    steps.shot("incoming-blacklisted")


def start_dirsim(binary, root, log):
    process = subprocess.Popen([binary, "--root", root, "--quiet", "--web", "0"], stdout=subprocess.PIPE,
                               stderr=log, stdin=subprocess.DEVNULL, text=True)
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline:
        line = process.stdout.readline()
        if not line:
            break
        if "http://127.0.0.1:" in line:
            return process, line[line.index("http://"):].split()[0]
    process.kill()
    raise Failure("dirsim --web did not say where it listens")


def start_chromedriver(port, log):
    driver = shutil.which("chromedriver") or "/usr/bin/chromedriver"
    process = subprocess.Popen([driver, "--port=%d" % port, "--allowed-ips=127.0.0.1"], stdout=log,
                               stderr=log, stdin=subprocess.DEVNULL)
    url = "http://127.0.0.1:%d" % port
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        try:
            if http("GET", url + "/status", timeout=2).get("value", {}).get("ready"):
                return process, url
        except OSError:
            pass
        time.sleep(0.1)
    process.kill()
    raise Failure("chromedriver did not start")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dirsim", required=True)
    parser.add_argument("--work", required=True)
    options = parser.parse_args()

    work = os.path.abspath(options.work)
    shots = os.path.join(os.path.dirname(work), "web-screenshots")
    for folder in (work, shots):
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
    dirsim_log = open(os.path.join(work, "dirsim.log"), "w")
    driver_log = open(os.path.join(work, "chromedriver.log"), "w")
    dirsim, page_url = start_dirsim(options.dirsim, os.path.join(work, "root"), dirsim_log)
    api_url = page_url + "api/run"
    driver = browser = None
    steps = None
    started = time.monotonic()
    try:
        driver, driver_url = start_chromedriver(free_port(), driver_log)
        browser = Browser(driver_url, os.path.join(work, "profile"))
        steps = Steps(browser, shots)
        run_steps(steps, browser, page_url, api_url)
        errors = [entry["message"] for entry in browser.call("POST", "/se/log", {"type": "browser"})
                  if entry.get("level") == "SEVERE"]
        steps.check(not errors, "the page logged errors: %s" % errors)
        load = browser.script(
            "const t = performance.getEntriesByType('navigation')[0]; return t ? t.loadEventEnd : -1;")
        print("web: page load %.0f ms, %d checks, %d screenshots in %s, %.1f s in all"
              % (load, steps.passed, steps.count, shots, time.monotonic() - started))
        result = 0
    except Failure as failure:
        print("web: FAILED: %s" % failure, file=sys.stderr)
        if browser is not None and steps is not None:
            print("web: screenshot of the failure: %s" % steps.shot("failure"), file=sys.stderr)
        result = 1
    finally:
        if browser is not None:
            browser.close()
        if driver is not None:
            driver.send_signal(signal.SIGTERM)
            driver.wait(20)
        http("POST", api_url, {"line": "quit"})
        try:
            dirsim.wait(30)
        except subprocess.TimeoutExpired:
            dirsim.kill()
    if dirsim.returncode != 0:
        print("web: dirsim ended with %s (see %s)" % (dirsim.returncode, dirsim_log.name), file=sys.stderr)
        result = 1
    print("1 passed, 0 failed" if result == 0 else "0 passed, 1 failed")
    return result


if __name__ == "__main__":
    sys.exit(main())
