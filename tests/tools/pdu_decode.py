#!/usr/bin/env python3
"""Decodes one SMS-SUBMIT or SMS-DELIVER PDU and prints what it carries as JSON.

A second opinion on the PDUs that pelmar-cli writes, taken straight from 3GPP TS 23.040
(TPDU layout) and TS 23.038 (data coding scheme, GSM 7-bit default alphabet).

    pdu_decode.py LENGTH HEX   # as `pelmar-cli sms encode` prints it: LENGTH counts the TPDU,
                               # so any octets before it are the SMSC address field
    pdu_decode.py HEX          # a bare TPDU
"""

import json
import sys

# TS 23.038 6.2.1: the default alphabet by septet value; 0x1B is the escape to the extension.
GSM_DEFAULT = (
    "@£$¥èéùìòÇ\nØø\rÅå"
    "Δ_ΦΓΛΩΠΨΣΘΞ\x1bÆæßÉ"
    " !\"#¤%&'()*+,-./"
    "0123456789:;<=>?"
    "¡ABCDEFGHIJKLMNO"
    "PQRSTUVWXYZÄÖÑÜ§"
    "¿abcdefghijklmno"
    "pqrstuvwxyzäöñüà"
)
# TS 23.038 6.2.1.1: the extension table, reached by ESC.
GSM_EXTENSION = {
    0x0A: "\f", 0x14: "^", 0x28: "{", 0x29: "}", 0x2F: "\\",
    0x3C: "[", 0x3D: "~", 0x3E: "]", 0x40: "|", 0x65: "€",
}
# TS 23.040 9.1.2.5: BCD digits of an address; 0xF is the fill of an odd count.
BCD_DIGITS = "0123456789*#abc"


class PduError(Exception):
    pass


class Octets:
    def __init__(self, data):
        self.data = data
        self.pos = 0

    def take(self, count, what):
        if self.pos + count > len(self.data):
            raise PduError(f"PDU ends inside {what}")
        part = self.data[self.pos:self.pos + count]
        self.pos += count
        return part

    def one(self, what):
        return self.take(1, what)[0]

    def rest(self):
        return self.data[self.pos:]


def septets_of(data, count):
    """The first `count` septets of packed 7-bit data (TS 23.038 6.1.2.1.1)."""
    stream = int.from_bytes(data, "little")
    return [(stream >> (7 * n)) & 0x7F for n in range(count) if 7 * n + 7 <= 8 * len(data)]


def gsm_text(septets):
    out = []
    escaped = False
    for s in septets:
        if escaped:
            out.append(GSM_EXTENSION.get(s, GSM_DEFAULT[s]))
            escaped = False
        elif s == 0x1B:
            escaped = True
        else:
            out.append(GSM_DEFAULT[s])
    return "".join(out)


def address(octets, what):
    digits = octets.one(what + " length")
    toa = octets.one(what + " type")
    value = octets.take((digits + 1) // 2, what)
    type_of_number = (toa >> 4) & 0x07
    if type_of_number == 0b101:  # alphanumeric, GSM 7-bit
        return gsm_text(septets_of(value, digits * 4 // 7)), toa
    nibbles = []
    for byte in value:
        nibbles += [byte & 0x0F, byte >> 4]
    number = "".join(BCD_DIGITS[n] for n in nibbles[:digits] if n != 0x0F)
    return ("+" if type_of_number == 0b001 else "") + number, toa


def coding_and_class(dcs):
    """TS 23.038 clause 4: the alphabet and the message class (None when none is given)."""
    group = dcs >> 4
    if group <= 0b0111:  # general data coding
        if dcs & 0x20:
            return "compressed", (dcs & 0x03) if dcs & 0x10 else None
        alphabet = ["gsm7", "8bit", "ucs2", "gsm7"][(dcs >> 2) & 0x03]
        return alphabet, (dcs & 0x03) if dcs & 0x10 else None
    if group == 0b1111:  # data coding / message class
        return ("8bit" if dcs & 0x04 else "gsm7"), dcs & 0x03
    if group == 0b1110:
        return "ucs2", None
    return "gsm7", None  # message waiting groups and reserved groups


def validity_period_octets(first):
    return {0b00: 0, 0b10: 1, 0b01: 7, 0b11: 7}[(first >> 3) & 0x03]


def decode(data, tpdu_length=None):
    result = {}
    if tpdu_length is not None and len(data) > tpdu_length:
        smsc_length = data[0]
        result["smsc_octets"] = smsc_length
        data = data[1 + smsc_length:]
        if len(data) != tpdu_length:
            raise PduError(f"TPDU has {len(data)} octets, the length says {tpdu_length}")
    octets = Octets(data)
    first = octets.one("first octet")
    mti = first & 0x03
    if mti == 0b01:
        result["type"] = "SMS-SUBMIT"
        result["message_reference"] = octets.one("TP-MR")
        result["number"], result["type_of_address"] = address(octets, "TP-DA")
        result["pid"] = octets.one("TP-PID")
        dcs = octets.one("TP-DCS")
        result["validity_period"] = octets.take(validity_period_octets(first), "TP-VP").hex().upper()
    elif mti == 0b00:
        result["type"] = "SMS-DELIVER"
        result["number"], result["type_of_address"] = address(octets, "TP-OA")
        result["pid"] = octets.one("TP-PID")
        dcs = octets.one("TP-DCS")
        result["timestamp"] = octets.take(7, "TP-SCTS").hex().upper()
    else:
        raise PduError(f"TP-MTI {mti:02b} is neither SUBMIT nor DELIVER")
    udl = octets.one("TP-UDL")
    user_data = octets.rest()
    coding, message_class = coding_and_class(dcs)
    result["dcs"] = dcs
    result["coding"] = coding
    result["class"] = message_class
    result["udl"] = udl
    header = b""
    if first & 0x40:  # TP-UDHI
        header = user_data[:1 + user_data[0]]
        result["udh"] = header.hex().upper()
    if coding == "gsm7":
        octets_needed = (udl * 7 + 7) // 8
        if len(user_data) != octets_needed:
            raise PduError(f"{udl} septets need {octets_needed} octets, found {len(user_data)}")
        skip = (len(header) * 8 + 6) // 7
        result["text"] = gsm_text(septets_of(user_data, udl)[skip:])
    else:
        if len(user_data) != udl:
            raise PduError(f"TP-UDL says {udl} octets, found {len(user_data)}")
        body = user_data[len(header):]
        if coding == "ucs2":
            result["text"] = body.decode("utf-16-be")
        else:
            result["data"] = body.hex().upper()
    return result


def main(argv):
    if len(argv) not in (2, 3):
        print(__doc__.strip(), file=sys.stderr)
        return 2
    try:
        tpdu_length = int(argv[1]) if len(argv) == 3 else None
        data = bytes.fromhex(argv[-1])
        print(json.dumps(decode(data, tpdu_length), ensure_ascii=False))
    except (ValueError, PduError) as e:
        print(f"pdu_decode: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
