#!/usr/bin/env python3
"""An imaging program's session against the real program's guiding server, written from the
protocol's public description (JSON-RPC 2.0 requests and event lines, CR LF): guide and settle,
three dithers of 5 pixels that settle, pause and resume, stop. Thirty other clients read every
event and one never reads. Checks that every reading client received every GuideStep, that the
GuideSteps are the guide log's lines, and prints what it saw.

    guiding_client.py PORT GUIDE_LOG
"""
import json
import socket
import sys
import threading
import time

PORT = int(sys.argv[1])
LOG = sys.argv[2]
LIMIT = 60.0  # seconds for any one wait


class Client:
    def __init__(self, receive_buffer=0):
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        if receive_buffer:
            self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, receive_buffer)
        self.sock.connect(("127.0.0.1", PORT))
        self.messages = []
        self.lock = threading.Condition()
        self.next_id = 0

    def start_reading(self):
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        pending = b""
        while True:
            try:
                data = self.sock.recv(65536)
            except OSError:
                return
            if not data:
                return
            pending += data
            while b"\r\n" in pending:
                line, pending = pending.split(b"\r\n", 1)
                with self.lock:
                    self.messages.append(json.loads(line))
                    self.lock.notify_all()

    def wait(self, test, after=0):
        """The first message from index `after` on that passes `test`, and its index."""
        end = time.time() + LIMIT
        with self.lock:
            while True:
                for i in range(after, len(self.messages)):
                    if test(self.messages[i]):
                        return self.messages[i], i
                if time.time() > end:
                    raise SystemExit("no answer in time; last messages: %s" % self.messages[-3:])
                self.lock.wait(0.1)

    def event(self, name, after=0):
        return self.wait(lambda m: m.get("Event") == name, after)

    def call(self, method, params=None):
        self.next_id += 1
        request = {"jsonrpc": "2.0", "method": method, "id": self.next_id}
        if params is not None:
            request["params"] = params
        mark = len(self.messages)
        self.sock.sendall((json.dumps(request) + "\r\n").encode())
        reply, _ = self.wait(lambda m: "Event" not in m and m.get("id") == self.next_id, mark)
        if "error" in reply:
            raise SystemExit("%s: error %s" % (method, reply["error"]))
        return reply["result"], mark


def steps(client):
    with client.lock:
        return [m["Frame"] for m in client.messages if m.get("Event") == "GuideStep"]


def main():
    main_client = Client()
    main_client.start_reading()
    readers = [Client() for _ in range(30)]
    for r in readers:
        r.start_reading()
    never_reads = Client(receive_buffer=4096)
    main_client.event("Version")
    main_client.event("AppState")

    settle = {"pixels": 1.5, "time": 2, "timeout": 40}
    _, mark = main_client.call("guide", [settle, False])
    done, mark = main_client.event("SettleDone", mark)
    print("guide: SettleDone", done)
    if done["Status"] != 0:
        raise SystemExit("guiding did not settle")
    for n in range(3):
        _, mark = main_client.call("dither", [5, False, {"pixels": 1.5, "time": 1, "timeout": 40}])
        moved, _ = main_client.event("GuidingDithered", mark)
        done, mark = main_client.event("SettleDone", mark)
        print("dither %d: moved (%d, %d), SettleDone %s" % (n + 1, moved["dx"], moved["dy"], done))
        if done["Status"] != 0:
            raise SystemExit("a dither did not settle")
    _, mark = main_client.call("set_paused", [True, "full"])
    main_client.event("Paused", mark)
    time.sleep(1)
    _, mark = main_client.call("set_paused", [False])
    main_client.event("Resumed", mark)
    main_client.event("GuideStep", mark)
    _, mark = main_client.call("stop_capture")
    main_client.event("GuidingStopped", mark)
    state, _ = main_client.call("get_app_state")
    print("after stop_capture: %s" % state)
    time.sleep(0.5)

    frames = steps(main_client)
    missing = [i for i, r in enumerate(readers) if steps(r) != frames]
    print("GuideSteps: %d to the session's client; readers with a different list: %d" % (len(frames), len(missing)))
    log_lines = []
    with open(LOG) as f:
        for line in f:
            if line[:1].isdigit():
                log_lines.append(line.rstrip("\n").split(","))
    events = [m for m in main_client.messages if m.get("Event") == "GuideStep"]
    differ = sum(1 for e, l in zip(events, log_lines)
                 if str(e["Frame"]) != l[0] or "%.3f" % (e["dx"] + 0.0) != l[3] or "%.3f" % (e["dy"] + 0.0) != l[4]
                 or str(e["RADuration"]) != l[9] or str(e["DECDuration"]) != l[11])
    print("guide log: %d frame lines, GuideSteps differing from their line: %d" % (len(log_lines), differ))
    if missing or len(log_lines) != len(events) or differ or state != "Stopped":
        raise SystemExit("FAILED")
    never_reads.sock.close()
    print("PASSED")


main()
