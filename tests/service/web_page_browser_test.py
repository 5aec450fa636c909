#!/usr/bin/python3
"""The web page in a real browser: Debian's chromium, headless, driven by
Selenium through chromedriver, against torvaned and torvane-sim on loopback.

A route clicked in one browser is confirmed there and seen in a second one
through the events; a route set at the simulator's front panel appears in
both; a preset applied from the page reaches both; at a phone's width (360 px) the page fits and is used with the keyboard
alone. With --screenshots DIR the phone and desktop pictures are written there.

  web_page_browser_test.py BUILD_DIR [--screenshots DIR]
"""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

WAIT_S = 10
PHONE = (360, 740)
DESKTOP = (1200, 900)


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)


def until(what, check, wait_s=WAIT_S):
    """Polls `check` until it gives something true; fails saying `what`."""
    deadline = time.monotonic() + wait_s
    while True:
        value = check()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("waited %d s for %s" % (wait_s, what))
        time.sleep(0.05)


class Program:
    """A program started for the test, its output read line by line."""

    def __init__(self, args, env=None, stdin=False):
        self.process = subprocess.Popen(
            args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
            stdin=subprocess.PIPE if stdin else subprocess.DEVNULL, env=env)
        self.lines = []

    def wait_for(self, pattern):
        regex = re.compile(pattern)
        deadline = time.monotonic() + WAIT_S
        while time.monotonic() < deadline:
            line = self.process.stdout.readline()
            if not line:
                break
            self.lines.append(line)
            found = regex.search(line)
            if found:
                return found
        raise Failure("no %r from %s:\n%s" % (pattern, self.process.args[0], "".join(self.lines)))

    def tell(self, line):
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()


def browser(profile_dir, size):
    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu",
                 "--disable-background-networking", "--disable-component-update",
                 "--disable-sync", "--no-first-run", "--disable-dev-shm-usage",
                 "--user-data-dir=" + profile_dir, "--window-size=%d,%d" % size):
        options.add_argument(flag)
    service = Service(shutil.which("chromedriver") or "/usr/bin/chromedriver")
    driver = webdriver.Chrome(service=service, options=options)
    viewport(driver, size)
    return driver


def viewport(driver, size, mobile=False):
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": size[0], "height": size[1], "deviceScaleFactor": 1, "mobile": mobile})


def pressed(driver, output, input_):
    cell = driver.find_element(By.ID, "cell-%d-%d" % (output, input_))
    return cell.get_attribute("aria-pressed") == "true"


def link_text(driver):
    return driver.find_element(By.ID, "link").text


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--screenshots")
    parser.add_argument("--web-root", help="the page's files, if not those torvaned finds")
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="torvane-browser-")
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"))
    programs, drivers = [], []
    try:
        sim = Program([os.path.join(args.build, "torvane-sim"), "--port", "0", "--no-udp",
                       "--front-panel"], stdin=True)
        programs.append(sim)
        serial = sim.wait_for(r"^serial (\S+)").group(1)
        sim.wait_for(r"^ready")
        daemon = Program([os.path.join(args.build, "torvaned"), "--serial", serial,
                          "--listen", "127.0.0.1:0", "--refresh", "1"] +
                         (["--web-root", args.web_root] if args.web_root else []), env=env)
        programs.append(daemon)
        url = daemon.wait_for(r"listening on (http://\S+/)").group(1)

        def health():
            with urllib.request.urlopen(url + "api/health", timeout=5) as answer:
                return json.load(answer)
        until("the switcher's link", lambda: health()["link"] == "up")

        # Names from the switcher's profile, shown in the grid.
        request = urllib.request.Request(url + "api/names", method="POST",
                                         data=json.dumps({"input": 3, "name": "Apple TV"}).encode(),
                                         headers={"Content-Type": "application/json"})
        with urllib.request.urlopen(request, timeout=10) as answer:
            check(json.load(answer)["ok"], "the input named")
        # The routing as it starts, kept as a preset.
        request = urllib.request.Request(url + "api/presets", method="POST",
                                         data=json.dumps({"name": "Evening"}).encode(),
                                         headers={"Content-Type": "application/json"})
        with urllib.request.urlopen(request, timeout=30) as answer:
            check(json.load(answer)["ok"], "the preset saved")

        first = browser(os.path.join(work, "first"), DESKTOP)
        drivers.append(first)
        second = browser(os.path.join(work, "second"), DESKTOP)
        drivers.append(second)
        for driver in (first, second):
            driver.get(url)
            until("the page to say connected", lambda d=driver: link_text(d) == "connected")
            until("the grid to show the routing", lambda d=driver: pressed(d, 0, 1))
        until("the input's name in the grid",
              lambda: "Apple TV" in first.find_element(By.ID, "in-3").text)

        # A click in one browser: confirmed there, seen in the other.
        first.find_element(By.ID, "cell-1-3").click()
        until("the route confirmed in the first browser", lambda: pressed(first, 1, 3))
        until("the outcome said", lambda: "on B" in first.find_element(By.ID, "outcome").text)
        until("the route in the second browser", lambda: pressed(second, 1, 3))
        check(not pressed(second, 1, 2), "output B shows one input")

        # Changed at the switcher's front panel: both see it.
        sim.tell("route 6 A")
        for driver in (first, second):
            until("the front panel's route", lambda d=driver: pressed(d, 0, 6))

        if args.screenshots:
            first.save_screenshot(os.path.join(args.screenshots, "web-desktop.png"))

        # A preset applied from the page: both browsers see the routing it holds.
        first.find_element(By.XPATH, "//ul[@id='presets']//button[text()='Evening']").click()
        until("the preset's outcome", lambda: "Evening applied" in
              first.find_element(By.ID, "outcome").text)
        for driver in (first, second):
            until("the preset's routing", lambda d=driver: pressed(d, 0, 1) and pressed(d, 1, 2))

        # A phone: nothing wider than the screen, every cell on it.
        viewport(second, PHONE, mobile=True)
        second.refresh()
        until("the page at a phone's width", lambda: link_text(second) == "connected")
        until("the grid at a phone's width", lambda: pressed(second, 0, 1))
        width = second.execute_script("return document.documentElement.scrollWidth")
        check(width <= PHONE[0], "the page is %d px wide on a 360 px screen" % width)
        for cell in second.find_elements(By.CSS_SELECTOR, ".grid button"):
            box = cell.rect
            check(box["x"] >= 0 and box["x"] + box["width"] <= PHONE[0],
                  "%s is off the screen" % cell.get_attribute("id"))
            check(box["height"] >= 24, "a cell too small to touch")
        if args.screenshots:
            second.save_screenshot(os.path.join(args.screenshots, "web-phone.png"))

        # The keyboard alone: Tab to the grid, arrows to output D input 7, Enter.
        body = second.find_element(By.TAG_NAME, "body")
        body.click()
        for _ in range(30):
            active = second.switch_to.active_element
            if (active.get_attribute("id") or "").startswith("cell-"):
                break
            active.send_keys(Keys.TAB)
        else:
            raise Failure("Tab never reached the grid")
        start = second.switch_to.active_element.get_attribute("id")
        row, col = (int(n) for n in start.split("-")[1:])
        keys = ([Keys.ARROW_DOWN] * (3 - row) + [Keys.ARROW_UP] * (row - 3) +
                [Keys.ARROW_RIGHT] * (7 - col) + [Keys.ARROW_LEFT] * (col - 7))
        for key in keys:
            second.switch_to.active_element.send_keys(key)
        reached = second.switch_to.active_element.get_attribute("id")
        check(reached == "cell-3-7", "the arrows from %s reached %s" % (start, reached))
        second.switch_to.active_element.send_keys(Keys.ENTER)
        until("the route chosen by keyboard", lambda: pressed(second, 3, 7))
        until("the keyboard's route in the first browser", lambda: pressed(first, 3, 7))
        print("web page: clicked, confirmed, seen by a second browser and from the front panel;"
              " a preset applied; fits 360 px; keyboard alone")
        return 0
    except Failure as failure:
        print("FAILED:", failure, file=sys.stderr)
        for program in programs:
            print("".join(program.lines), file=sys.stderr)
        return 1
    finally:
        for driver in drivers:
            driver.quit()
        for program in programs:
            program.stop()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
