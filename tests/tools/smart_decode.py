#!/usr/bin/env python3
"""Decodes smart-message PDUs as the program writes them to the handset, to check the encoders.

Input (files named on the command line, or standard input): lines "LENGTH HEX", the length that
"at+cmgs=" announces and the hex text written, with or without an SMSC field in front. Every PDU
must be an SMS-SUBMIT with 8-bit data and a user-data header with application ports. Parts of a
concatenated message are put together; then the content is decoded by its destination port:

  0x1581 ringing tone   title, tempo, and the notes with duration, specifier and scale
  0x1582 operator logo  MCC, MNC and the OTA bitmap
  0x158A picture        the items of the multipart message (text, OTA bitmap)

The result is one JSON object {"messages": [...]} on standard output; bad input ends the program
with a message on standard error and exit code 1. Plain Python 3, no packages.
"""
import json
import sys

PORT_RINGTONE = 0x1581
PORT_LOGO = 0x1582
PORT_PICTURE = 0x158A

NOTE_NAMES = ["P", "C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "H"]
DURATIONS = [1, 2, 4, 8, 16, 32]
SPECIFIERS = ["none", "dotted", "double-dotted", "2/3"]
TEMPI = [25, 28, 31, 35, 40, 45, 50, 56, 63, 70, 80, 90, 100, 112, 125, 140, 160, 180, 200,
         225, 250, 285, 320, 355, 400, 450, 500, 565, 635, 715, 800, 900]
STYLES = ["natural", "continuous", "staccato", "reserved"]

CMD_RINGTONE_PROGRAMMING = 0x25
CMD_UNICODE = 0x22
CMD_SOUND = 0x1D
CMD_CANCEL = 0x05
SONG_BASIC = 1
SONG_TEMPORARY = 2


class DecodeError(Exception):
    pass


class BitReader:
    """Most significant bit first, across octet boundaries."""

    def __init__(self, data):
        self.data = data
        self.pos = 0

    def read(self, count):
        if self.pos + count > 8 * len(self.data):
            raise DecodeError("ringing tone ends in the middle of a field")
        value = 0
        for _ in range(count):
            octet = self.data[self.pos // 8]
            value = (value << 1) | ((octet >> (7 - self.pos % 8)) & 1)
            self.pos += 1
        return value

    def align(self):
        self.pos = (self.pos + 7) // 8 * 8

    def remaining_octets(self):
        return len(self.data) - self.pos // 8


# --- SMS layer -------------------------------------------------------------------------------

def semi_octets(octets, digit_count):
    digits = ""
    for octet in octets:
        for nibble in (octet & 0x0F, octet >> 4):
            if nibble != 0x0F:
                digits += "0123456789*#abc"[nibble]
    return digits[:digit_count]


def strip_smsc(length, octets):
    """27.005: the announced length counts the TPDU only; anything before it is the SMSC field."""
    if len(octets) == length:
        return octets
    if octets and len(octets) == length + 1 + octets[0]:
        return octets[1 + octets[0]:]
    raise DecodeError("announced length %d does not fit %d octets" % (length, len(octets)))


def parse_submit(tpdu):
    first = tpdu[0]
    if first & 0x03 != 0x01:
        raise DecodeError("not an SMS-SUBMIT (first octet %02X)" % first)
    vp_format = (first >> 3) & 0x03
    has_udh = bool(first & 0x40)
    pos = 2  # first octet, TP-MR
    digit_count, address_type = tpdu[pos], tpdu[pos + 1]
    pos += 2
    address_octets = (digit_count + 1) // 2
    number = semi_octets(tpdu[pos:pos + address_octets], digit_count)
    if address_type & 0x70 == 0x10:
        number = "+" + number
    pos += address_octets
    pid, dcs = tpdu[pos], tpdu[pos + 1]
    pos += 2
    pos += {0: 0, 1: 7, 2: 1, 3: 7}[vp_format]
    udl = tpdu[pos]
    user_data = tpdu[pos + 1:]
    eight_bit = (dcs & 0xF0 == 0xF0 and dcs & 0x04) or (dcs & 0xC0 == 0x00 and dcs & 0x0C == 0x04)
    if not eight_bit:
        raise DecodeError("smart messages carry 8-bit data, not DCS %02X" % dcs)
    if len(user_data) != udl:
        raise DecodeError("TP-UDL says %d octets, %d follow" % (udl, len(user_data)))
    if not has_udh:
        raise DecodeError("no user-data header")
    return number, pid, dcs, user_data


def parse_udh(user_data):
    udhl = user_data[0]
    header, body = user_data[1:1 + udhl], user_data[1 + udhl:]
    if len(header) != udhl:
        raise DecodeError("user-data header is cut short")
    info = {}
    pos = 0
    while pos < len(header):
        iei, length = header[pos], header[pos + 1]
        value = header[pos + 2:pos + 2 + length]
        if len(value) != length:
            raise DecodeError("header element %02X is cut short" % iei)
        if iei == 0x05:
            info["port"] = (value[0] << 8) | value[1]
            info["source_port"] = (value[2] << 8) | value[3]
        elif iei == 0x04:
            info["port"], info["source_port"] = value[0], value[1]
        elif iei == 0x00:
            info["concat"] = (value[0], value[1], value[2])
        elif iei == 0x08:
            info["concat"] = ((value[0] << 8) | value[1], value[2], value[3])
        pos += 2 + length
    if "port" not in info:
        raise DecodeError("no application port in the user-data header")
    return info, body


def read_pdus(lines):
    pdus = []
    for line in lines:
        line = line.strip()
        if not line:
            continue
        length_text, hex_text = line.split()
        octets = bytes.fromhex(hex_text)
        tpdu = strip_smsc(int(length_text), octets)
        number, _, _, user_data = parse_submit(tpdu)
        info, body = parse_udh(user_data)
        pdus.append({"number": number, "udh": info, "body": body})
    return pdus


def reassemble(pdus):
    """Whole messages in the order their first PDU came; concatenated parts joined by sequence."""
    messages, groups = [], {}
    for pdu in pdus:
        concat = pdu["udh"].get("concat")
        if concat is None:
            messages.append({"number": pdu["number"], "port": pdu["udh"]["port"],
                             "parts": 1, "body": pdu["body"]})
            continue
        reference, total, sequence = concat
        key = (pdu["number"], pdu["udh"]["port"], reference, total)
        if key not in groups:
            groups[key] = {}
            messages.append({"number": pdu["number"], "port": pdu["udh"]["port"],
                             "parts": total, "reference": reference, "key": key})
        if not 1 <= sequence <= total or sequence in groups[key]:
            raise DecodeError("part %d of %d does not belong" % (sequence, total))
        groups[key][sequence] = pdu["body"]
    for message in messages:
        key = message.pop("key", None)
        if key is None:
            continue
        parts = groups[key]
        if len(parts) != message["parts"]:
            raise DecodeError("message %d has %d of %d parts" % (key[2], len(parts), key[3]))
        message["body"] = b"".join(parts[n] for n in range(1, message["parts"] + 1))
    return messages


# --- Content ---------------------------------------------------------------------------------

def decode_ringtone(data):
    bits = BitReader(data)
    result = {"kind": "ringtone", "title": None, "tempo": None, "notes": [], "style": None,
              "volume": None}
    unicode_titles = False
    for _ in range(bits.read(8)):
        command = bits.read(7)
        if command in (CMD_RINGTONE_PROGRAMMING, CMD_UNICODE, CMD_CANCEL):
            if command == CMD_UNICODE:
                unicode_titles = True
            bits.read(1)
            continue
        if command != CMD_SOUND:
            raise DecodeError("unknown ringing-tone command %02X" % command)
        song_type = bits.read(3)
        if song_type == SONG_BASIC:
            length = bits.read(4)
            width = 16 if unicode_titles else 8
            result["title"] = "".join(chr(bits.read(width)) for _ in range(length))
        elif song_type != SONG_TEMPORARY:
            raise DecodeError("song type %d is not a basic or temporary song" % song_type)
        for _ in range(bits.read(8)):
            decode_pattern(bits, result)
        bits.align()
    if bits.read(8) != 0:
        raise DecodeError("no command end after the commands")
    if bits.remaining_octets() != 0:
        raise DecodeError("octets left after the command end")
    return result


def decode_pattern(bits, result):
    if bits.read(3) != 0:
        raise DecodeError("pattern does not start with a pattern header")
    bits.read(2)  # pattern id
    bits.read(4)  # loop value
    scale = None
    for _ in range(bits.read(8)):
        kind = bits.read(3)
        if kind == 1:
            note, duration, specifier = bits.read(4), bits.read(3), bits.read(2)
            if note >= len(NOTE_NAMES) or duration >= len(DURATIONS):
                raise DecodeError("note %d / duration %d has no meaning" % (note, duration))
            result["notes"].append({"note": NOTE_NAMES[note], "duration": DURATIONS[duration],
                                    "specifier": SPECIFIERS[specifier], "scale": scale})
        elif kind == 2:
            scale = bits.read(2)
        elif kind == 3:
            result["style"] = STYLES[bits.read(2)]
        elif kind == 4:
            result["tempo"] = TEMPI[bits.read(5)]
        elif kind == 5:
            result["volume"] = bits.read(4)
        else:
            raise DecodeError("unknown pattern instruction %d" % kind)


def decode_ota_bitmap(data):
    if len(data) < 4:
        raise DecodeError("OTA bitmap header is cut short")
    info, width, height, depth = data[0], data[1], data[2], data[3]
    if info != 0 or depth != 1:
        raise DecodeError("only single-octet sizes and one plane are known here")
    pixels = data[4:]
    if len(pixels) != (width * height + 7) // 8:
        raise DecodeError("%d bitmap octets for %d x %d" % (len(pixels), width, height))
    rows = []
    for y in range(height):
        row = ""
        for x in range(width):
            n = y * width + x
            row += "1" if pixels[n // 8] & (0x80 >> (n % 8)) else "0"
        rows.append(row)
    return {"width": width, "height": height, "rows": rows}


def decode_logo(data):
    mcc = semi_octets(data[0:2], 3)
    mnc = semi_octets(data[2:3], 2)
    result = {"kind": "logo", "mcc": mcc, "mnc": mnc}
    result.update(decode_ota_bitmap(data[3:]))
    return result


def decode_picture(data):
    if not data or data[0] != ord("0"):
        raise DecodeError("multipart message version is not \"0\"")
    result = {"kind": "picture", "items": []}
    pos = 1
    while pos < len(data):
        if pos + 3 > len(data):
            raise DecodeError("item header is cut short")
        item_type, length = data[pos], (data[pos + 1] << 8) | data[pos + 2]
        value = data[pos + 3:pos + 3 + length]
        if len(value) != length:
            raise DecodeError("item %d is cut short" % item_type)
        if item_type == 0x00:
            result["text"] = value.decode("latin-1")
            result["coding"] = "latin-1"
        elif item_type == 0x01:
            result["text"] = value.decode("utf-16-be")
            result["coding"] = "ucs2"
        elif item_type == 0x02:
            result["bitmap"] = decode_ota_bitmap(value)
        result["items"].append(item_type)
        pos += 3 + length
    return result


DECODERS = {PORT_RINGTONE: decode_ringtone, PORT_LOGO: decode_logo, PORT_PICTURE: decode_picture}


def main(argv):
    lines = []
    if len(argv) > 1:
        for name in argv[1:]:
            with open(name) as f:
                lines += f.readlines()
    else:
        lines = sys.stdin.readlines()
    try:
        out = []
        for message in reassemble(read_pdus(lines)):
            decoder = DECODERS.get(message["port"])
            if decoder is None:
                raise DecodeError("no decoder for port %04X" % message["port"])
            decoded = decoder(message.pop("body"))
            decoded.update(message)
            out.append(decoded)
    except (DecodeError, ValueError, IndexError) as e:
        print("smart_decode: %s" % e, file=sys.stderr)
        return 1
    json.dump({"messages": out}, sys.stdout, indent=1, ensure_ascii=False)
    print()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
