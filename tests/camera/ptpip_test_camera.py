#!/usr/bin/env python3
"""A compact camera on PTP/IP for the tests and for trying the program without a camera.

It plays a PowerShot-style camera: a DeviceInfo with the vendor extension and the operations
of that family, one session at a time, a card-less memory (captures stay in the camera's
memory until fetched), property descriptions, values and sets, capture with its events,
object info and data, viewfinder frames and a camera button. Photos come from a folder of
JPEGs, served in name order (and again from the first when all were used).

    python3 tests/camera/ptpip_test_camera.py --port 15740 --photos tests/fixtures/camera/photos

Control: lines on standard input or on the --control-port connection:
    press                  the camera's own shutter button takes a photo
    unplug / plug          drop every connection and refuse new ones / accept again
    fault KIND OPCODE [N]  the next N (default: all) requests of OPCODE (hex) go wrong:
                           refuse (answer DeviceBusy), stall (no answer), garbage (random
                           bytes instead of the answer), truncate (half the data, then the
                           connection drops), huge (a data phase of nearly 4 GiB announced,
                           then the connection drops), drop
    clear                  no more faults
    get CODE               prints "value CODE VALUE" of a property (hex)
    frames                 prints "frames N", the viewfinder frames served so far
    quit
Standard output tells what happened, one line each: "listening PORT CONTROLPORT",
"session open", "set CODE VALUE", "capture HANDLE NAME", "viewfinder on|off",
"fetched HANDLE", "session closed".
"""

import argparse
import os
import random
import socket
import struct
import sys
import threading
import time

# PTP/IP packet types.
INIT_COMMAND_REQUEST, INIT_COMMAND_ACK, INIT_EVENT_REQUEST, INIT_EVENT_ACK, INIT_FAIL = 1, 2, 3, 4, 5
OPERATION_REQUEST, OPERATION_RESPONSE, EVENT = 6, 7, 8
START_DATA, DATA, CANCEL, END_DATA = 9, 10, 11, 12

# Response codes.
RC_OK = 0x2001
RC_GENERAL_ERROR = 0x2002
RC_SESSION_NOT_OPEN = 0x2003
RC_OPERATION_NOT_SUPPORTED = 0x2005
RC_PARAMETER_NOT_SUPPORTED = 0x2006
RC_INVALID_STORAGE_ID = 0x2008
RC_INVALID_OBJECT_HANDLE = 0x2009
RC_PROPERTY_NOT_SUPPORTED = 0x200A
RC_DEVICE_BUSY = 0x2019
RC_INVALID_PROPERTY_VALUE = 0x201C
RC_SESSION_ALREADY_OPEN = 0x201E

# Events.
EC_CAPTURE_COMPLETE = 0x400D
EC_REQUEST_OBJECT_TRANSFER = 0xC009
EC_CAMERA_MODE_CHANGED = 0xC00C

FORMAT_JPEG = 0x3801
MAX_PACKET = 1 << 20  # a request larger than this is garbage
DATA_BLOCK = 256 * 1024

UINT8, UINT16, UINT32 = 2, 4, 6
WIDTHS = {1: 1, UINT8: 1, 3: 2, UINT16: 2, 5: 4, UINT32: 4}
PACK = {1: "<b", UINT8: "<B", 3: "<h", UINT16: "<H", 5: "<i", UINT32: "<I"}

# The operations of this camera family (standard ones first, then the vendor's).
OPERATIONS = [0x1001, 0x1002, 0x1003, 0x1004, 0x1005, 0x1007, 0x1008, 0x1009, 0x100B,
              0x1014, 0x1015, 0x1016,
              0x9003, 0x9008, 0x9009, 0x900B, 0x900C, 0x900D, 0x9013, 0x9014, 0x9015,
              0x901A, 0x901D]
EVENTS = [0x4002, 0x4006, 0x400D, 0xC008, 0xC009, 0xC00B, 0xC00C, 0xC00E]

# Settings: code -> (data type, value, allowed values or None). Codes are the camera's own.
def default_properties():
    tv = [0x18, 0x20, 0x28, 0x30, 0x38, 0x40, 0x48, 0x50, 0x58, 0x60, 0x68, 0x70, 0x78, 0x80,
          0x88, 0x90, 0x98]
    return {
        0xD00C: [UINT8, 1, [0, 1, 2, 3, 4]],           # shooting mode
        0xD01E: [UINT16, 0x60, tv],                     # shutter speed
        0xD01D: [UINT16, 0x28, [0x20, 0x25, 0x28, 0x2B, 0x2D, 0x30, 0x35, 0x38, 0x40]],  # aperture
        0xD01F: [UINT8, 0x18, [0x10, 0x13, 0x15, 0x18, 0x1B, 0x1D, 0x20]],  # exposure comp.
        0xD01C: [UINT16, 0x48, [0x00, 0x48, 0x50, 0x58, 0x60, 0x68]],       # ISO
        0xD013: [UINT8, 0, [0, 1, 2, 3, 4, 5]],        # white balance
        0xD00A: [UINT8, 1, [0, 1, 2]],                 # flash (listed in shooting mode only)
        0xD006: [UINT8, 5, [2, 3, 5]],                 # image quality
        0xD008: [UINT8, 0, [0, 1, 2]],                 # image size
        0xD029: [UINT16, 2, [1, 2, 3]],                # capture transfer mode
        0xD045: [UINT16, 0, None],                     # event emulation mode
        0xD02E: [UINT32, 0x00080000, None],            # largest block from the camera
        0xD02F: [UINT32, 0x00080000, None],            # largest block to the camera
    }

SHOOTING_ONLY = {0xD00A}


def ptp_string(text):
    if not text:
        return b"\0"
    units = text.encode("utf-16-le") + b"\0\0"
    return struct.pack("<B", len(units) // 2) + units


def ptp_array16(values):
    return struct.pack("<I", len(values)) + b"".join(struct.pack("<H", v) for v in values)


def recv_exact(sock, size):
    chunks = []
    while size:
        chunk = sock.recv(min(size, 1 << 20))
        if not chunk:
            raise ConnectionError("closed")
        # The initiator writes a request and its data phase as separate small packets: a
        # delayed acknowledgement would hold each set for tens of milliseconds.
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_QUICKACK, 1)
        chunks.append(chunk)
        size -= len(chunk)
    return b"".join(chunks)


def recv_packet(sock):
    length, kind = struct.unpack("<II", recv_exact(sock, 8))
    if length < 8 or length > MAX_PACKET:
        raise ConnectionError("bad packet length %d" % length)
    return kind, recv_exact(sock, length - 8)


def packet(kind, payload=b""):
    return struct.pack("<II", 8 + len(payload), kind) + payload


class Photo:
    def __init__(self, handle, name, data):
        self.handle, self.name, self.data = handle, name, data


class Camera:
    """The camera's state; one lock guards it."""

    def __init__(self, model, photos, frames, frame_rate):
        self.lock = threading.Lock()
        self.model = model
        self.photos = photos
        self.frames = frames or photos
        self.frame_interval = 1.0 / frame_rate if frame_rate > 0 else 0.0
        self.next_frame_time = 0.0
        self.next_photo = 0
        self.next_frame = 0
        self.frames_served = 0
        self.next_handle = 0x1001
        self.objects = {}
        self.events = []
        self.properties = default_properties()
        self.session = 0
        self.shooting = False
        self.viewfinder = False
        self.unplugged = False
        self.faults = {}  # opcode -> [kind, remaining or None]
        self.connections = []

    def say(self, text):
        print(text, flush=True)

    def take_photo(self):
        name, data = self.photos[self.next_photo % len(self.photos)]
        self.next_photo += 1
        handle = self.next_handle
        self.next_handle += 1
        self.objects[handle] = Photo(handle, name, data)
        self.say("capture 0x%x %s" % (handle, name))
        return handle

    def fault_for(self, opcode):
        entry = self.faults.get(opcode)
        if not entry:
            return None
        kind, remaining = entry
        if remaining is not None:
            remaining -= 1
            if remaining <= 0:
                del self.faults[opcode]
            else:
                entry[1] = remaining
        return kind

    def device_info(self):
        properties = sorted(c for c in self.properties if self.shooting or c not in SHOOTING_ONLY)
        return (struct.pack("<HIH", 100, 0x0000000B, 100) + ptp_string("") + struct.pack("<H", 0)
                + ptp_array16(OPERATIONS) + ptp_array16(EVENTS) + ptp_array16(properties)
                + ptp_array16([FORMAT_JPEG]) + ptp_array16([FORMAT_JPEG])
                + ptp_string("Canon Inc.") + ptp_string(self.model) + ptp_string("1-1.0.0.0")
                + ptp_string("0123456789"))

    def describe(self, code):
        kind, value, allowed = self.properties[code]
        fmt = PACK[kind]
        out = struct.pack("<HHB", code, kind, 1) + struct.pack(fmt, value) + struct.pack(fmt, value)
        if allowed is None:
            return out + b"\0"
        return out + b"\2" + struct.pack("<H", len(allowed)) + b"".join(struct.pack(fmt, v) for v in allowed)

    def object_info(self, photo):
        stamp = time.strftime("%Y%m%dT%H%M%S")
        return (struct.pack("<IHHIHIIIIIIIHII", 0, FORMAT_JPEG, 0, len(photo.data), 0, 0, 0, 0,
                            640, 480, 24, 0, 0, 0, 0)
                + ptp_string(photo.name) + ptp_string(stamp) + ptp_string(stamp) + ptp_string(""))

    def frame(self):
        """The next viewfinder frame, at the camera's own rate."""
        now = time.monotonic()
        wait = self.next_frame_time - now
        self.next_frame_time = max(now, self.next_frame_time) + self.frame_interval
        data = self.frames[self.next_frame % len(self.frames)][1]
        self.next_frame += 1
        self.frames_served += 1
        return max(wait, 0.0), data

    def operate(self, code, params, data_out):
        """Answers one operation: (response code, data to send or None, response params)."""
        if code == 0x1001:
            return RC_OK, self.device_info(), []
        if code == 0x1002:
            if self.session:
                return RC_SESSION_ALREADY_OPEN, None, []
            self.session = params[0] if params else 1
            self.say("session open")
            return RC_OK, None, []
        if not self.session:
            return RC_SESSION_NOT_OPEN, None, []
        if code == 0x1003:
            self.end_session()
            return RC_OK, None, []
        if code == 0x1004:
            return RC_OK, struct.pack("<I", 0), []
        if code == 0x1005:
            return RC_INVALID_STORAGE_ID, None, []
        if code == 0x1007:
            return RC_OK, struct.pack("<I", 0), []
        if code in (0x1008, 0x1009, 0x100B):
            photo = self.objects.get(params[0] if params else 0)
            if not photo:
                return RC_INVALID_OBJECT_HANDLE, None, []
            if code == 0x1008:
                return RC_OK, self.object_info(photo), []
            if code == 0x1009:
                self.say("fetched 0x%x" % photo.handle)
                return RC_OK, photo.data, []
            del self.objects[photo.handle]
            return RC_OK, None, []
        if code in (0x1014, 0x1015, 0x1016):
            prop = params[0] if params else 0
            if prop not in self.properties or (prop in SHOOTING_ONLY and not self.shooting):
                return RC_PROPERTY_NOT_SUPPORTED, None, []
            kind, value, allowed = self.properties[prop]
            if code == 0x1014:
                return RC_OK, self.describe(prop), []
            if code == 0x1015:
                return RC_OK, struct.pack(PACK[kind], value), []
            if data_out is None or len(data_out) != WIDTHS[kind]:
                return RC_INVALID_PROPERTY_VALUE, None, []
            new = struct.unpack(PACK[kind], data_out)[0]
            if allowed is not None and new not in allowed:
                return RC_INVALID_PROPERTY_VALUE, None, []
            self.properties[prop][1] = new
            self.say("set 0x%04x 0x%x" % (prop, new))
            return RC_OK, None, []
        if code == 0x9008:
            if not self.shooting:
                self.shooting = True
                self.events.append((EC_CAMERA_MODE_CHANGED, []))
                self.say("release control on")
            return RC_OK, None, []
        if code == 0x9009:
            self.shooting = False
            self.viewfinder = False
            self.say("release control off")
            return RC_OK, None, []
        if code == 0x9013:
            if not self.events:
                return RC_OK, b"", []
            event, event_params = self.events.pop(0)
            body = struct.pack("<HI", event, 0) + b"".join(struct.pack("<I", p) for p in event_params)
            return RC_OK, struct.pack("<IH", 6 + len(body), 4) + body, []
        if code == 0x901A:
            if not self.shooting:
                return RC_DEVICE_BUSY, None, []
            handle = self.take_photo()
            self.events.append((EC_REQUEST_OBJECT_TRANSFER, [handle]))
            self.events.append((EC_CAPTURE_COMPLETE, []))
            return RC_OK, None, []
        if code in (0x900B, 0x900C):
            if not self.shooting:
                return RC_DEVICE_BUSY, None, []
            self.viewfinder = code == 0x900B
            self.say("viewfinder " + ("on" if self.viewfinder else "off"))
            return RC_OK, None, []
        if code == 0x901D:
            if not self.viewfinder:
                return RC_DEVICE_BUSY, None, []
            return "frame", None, []
        if code in (0x9003, 0x900D, 0x9014, 0x9015):
            return RC_OK, None, []
        return RC_OPERATION_NOT_SUPPORTED, None, []

    def end_session(self):
        if self.session:
            self.say("session closed")
        self.session = 0
        self.shooting = False
        self.viewfinder = False
        self.events = []

    def press(self):
        with self.lock:
            handle = self.take_photo()
            self.events.append((EC_REQUEST_OBJECT_TRANSFER, [handle]))

    def set_unplugged(self, unplugged):
        with self.lock:
            self.unplugged = unplugged
            connections, self.connections = (list(self.connections), []) if unplugged else ([], self.connections)
            if unplugged:
                self.end_session()
        for sock in connections:
            try:
                sock.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            sock.close()
        self.say("unplugged" if unplugged else "plugged")


class Connection(threading.Thread):
    """One TCP connection: the command line of a session or its event line."""

    def __init__(self, camera, sock, server):
        super().__init__(daemon=True)
        self.camera, self.sock, self.server = camera, sock, server

    def run(self):
        try:
            self.serve()
        except (ConnectionError, OSError, struct.error):
            pass
        finally:
            with self.camera.lock:
                if self.server.command is self.sock:
                    self.server.command = None
                    self.camera.end_session()
                if self.sock in self.camera.connections:
                    self.camera.connections.remove(self.sock)
            try:
                self.sock.close()
            except OSError:
                pass

    def serve(self):
        kind, payload = recv_packet(self.sock)
        if kind == INIT_EVENT_REQUEST:
            self.sock.sendall(packet(INIT_EVENT_ACK))
            while self.sock.recv(4096):
                pass
            return
        if kind != INIT_COMMAND_REQUEST or len(payload) < 20:
            return
        with self.camera.lock:
            busy = self.server.command is not None
            if not busy:
                self.server.command = self.sock
        if busy:
            self.sock.sendall(packet(INIT_FAIL, struct.pack("<I", 0x0000001)))
            return
        name = "camera".encode("utf-16-le") + b"\0\0"
        self.sock.sendall(packet(INIT_COMMAND_ACK, struct.pack("<I", 1) + bytes(range(16)) + name
                                 + struct.pack("<HH", 0, 1)))
        while True:
            kind, payload = recv_packet(self.sock)
            if kind != OPERATION_REQUEST or len(payload) < 10:
                continue
            phase, code, transaction = struct.unpack("<IHI", payload[:10])
            count = (len(payload) - 10) // 4
            params = list(struct.unpack("<%dI" % count, payload[10:10 + 4 * count]))
            data_out = self.receive_data() if phase == 2 else None
            self.answer(code, transaction, params, data_out)

    def receive_data(self):
        kind, payload = recv_packet(self.sock)
        if kind != START_DATA or len(payload) < 12:
            raise ConnectionError("no data phase")
        total = struct.unpack("<Q", payload[4:12])[0]
        if total > MAX_PACKET:
            raise ConnectionError("data phase too large")
        data = b""
        while len(data) < total:
            kind, payload = recv_packet(self.sock)
            if kind not in (DATA, END_DATA) or len(payload) < 4:
                raise ConnectionError("bad data packet")
            data += payload[4:]
            if kind == END_DATA:
                break
        return data

    def answer(self, code, transaction, params, data_out):
        camera = self.camera
        with camera.lock:
            fault = camera.fault_for(code)
            if fault == "refuse":
                result, data, rparams = RC_DEVICE_BUSY, None, []
            else:
                result, data, rparams = camera.operate(code, params, data_out)
            wait = 0.0
            if result == "frame":
                wait, data = camera.frame()
                result, rparams = RC_OK, [len(data)]
        if wait:
            time.sleep(wait)
        if fault == "stall":
            while self.sock.recv(4096):
                pass
            raise ConnectionError("stalled")
        if fault == "garbage":
            # A well-framed packet of no known type: the initiator must refuse it, not trust it.
            self.sock.sendall(struct.pack("<II", 64, 0x7777) + bytes(random.getrandbits(8) for _ in range(56)))
            return
        if fault == "drop":
            raise ConnectionError("dropped")
        tid = struct.pack("<I", transaction)
        if data is not None or fault in ("truncate", "huge"):
            data = data or b"\0" * 64
            total = 0xFFFFFFF0 if fault == "huge" else len(data)
            self.sock.sendall(packet(START_DATA, tid + struct.pack("<Q", total)))
            if fault in ("truncate", "huge"):
                self.sock.sendall(packet(DATA, tid + data[:max(len(data) // 2, 1)]))
                raise ConnectionError("truncated")
            offset = 0
            while len(data) - offset > DATA_BLOCK:
                self.sock.sendall(packet(DATA, tid + data[offset:offset + DATA_BLOCK]))
                offset += DATA_BLOCK
            self.sock.sendall(packet(END_DATA, tid + data[offset:]))
        body = struct.pack("<HI", result, transaction) + b"".join(struct.pack("<I", p) for p in rparams)
        self.sock.sendall(packet(OPERATION_RESPONSE, body))


class Server:
    def __init__(self, camera, port):
        self.camera = camera
        self.command = None
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind(("127.0.0.1", port))
        self.listener.listen(8)
        self.port = self.listener.getsockname()[1]

    def serve_forever(self):
        while True:
            sock, _ = self.listener.accept()
            sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            with self.camera.lock:
                refused = self.camera.unplugged
                if not refused:
                    self.camera.connections.append(sock)
            if refused:
                sock.close()
                continue
            Connection(self.camera, sock, self).start()


def control(camera, line, reply):
    words = line.split()
    if not words:
        return True
    verb = words[0]
    try:
        if verb == "press":
            camera.press()
        elif verb == "unplug":
            camera.set_unplugged(True)
        elif verb == "plug":
            camera.set_unplugged(False)
        elif verb == "fault":
            with camera.lock:
                camera.faults[int(words[2], 16)] = [words[1], int(words[3]) if len(words) > 3 else None]
        elif verb == "clear":
            with camera.lock:
                camera.faults.clear()
        elif verb == "get":
            code = int(words[1], 16)
            with camera.lock:
                value = camera.properties[code][1]
            reply("value 0x%04x 0x%x" % (code, value))
            return True
        elif verb == "frames":
            with camera.lock:
                served = camera.frames_served
            reply("frames %d" % served)
            return True
        elif verb == "quit":
            os._exit(0)
        else:
            reply("unknown command")
            return True
    except (IndexError, ValueError, KeyError):
        reply("bad command")
        return True
    reply("ok")
    return True


def serve_control(camera, listener):
    while True:
        sock, _ = listener.accept()
        threading.Thread(target=control_connection, args=(camera, sock), daemon=True).start()


def control_connection(camera, sock):
    with sock, sock.makefile("rw", encoding="ascii", newline="\n") as stream:
        def reply(text):
            stream.write(text + "\n")
            stream.flush()
        for line in stream:
            control(camera, line, reply)


def read_jpegs(folder):
    if not folder or not os.path.isdir(folder):
        return []
    names = sorted(n for n in os.listdir(folder) if n.lower().endswith((".jpg", ".jpeg")))
    out = []
    for name in names:
        with open(os.path.join(folder, name), "rb") as f:
            out.append((name, f.read()))
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=15740, help="PTP/IP port on 127.0.0.1 (0: any free one)")
    parser.add_argument("--photos", required=True, help="folder of JPEGs the camera shoots")
    parser.add_argument("--frames", help="folder of JPEG viewfinder frames (default: the photos)")
    parser.add_argument("--frame-rate", type=float, default=30.0, help="viewfinder frames a second")
    parser.add_argument("--model", default="Canon PowerShot Test Camera")
    parser.add_argument("--control-port", type=int, default=-1, help="line control on 127.0.0.1 (0: any free one)")
    args = parser.parse_args()

    photos = read_jpegs(args.photos)
    if not photos:
        sys.exit("no JPEG photos in %s" % args.photos)
    camera = Camera(args.model, photos, read_jpegs(args.frames), args.frame_rate)
    server = Server(camera, args.port)
    control_port = 0
    if args.control_port >= 0:
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind(("127.0.0.1", args.control_port))
        listener.listen(4)
        control_port = listener.getsockname()[1]
        threading.Thread(target=serve_control, args=(camera, listener), daemon=True).start()
    threading.Thread(target=server.serve_forever, daemon=True).start()
    camera.say("listening %d %d" % (server.port, control_port))
    try:
        for line in sys.stdin:
            control(camera, line, camera.say)
        # Standard input closed: keep serving until stopped.
        threading.Event().wait()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
