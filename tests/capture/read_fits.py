#!/usr/bin/python3
"""Prints what astropy reads in a FITS file, for the tests to compare with what was written.

For each HDU: "HDU width height", one "CARD keyword<TAB>value" line per header card (DATE-OBS
also as DATE-MS, milliseconds since 1970 as astropy's time reads it), then "PIXELS" and the
values, bottom row first (a TOP-DOWN picture is turned over). Ends with "VERIFY" and astropy's
own complaints about the file, if any.
"""
import sys
import warnings

from astropy.io import fits
from astropy.time import Time


def main(path):
    out = []
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        with fits.open(path) as hdus:
            hdus.verify("warn")
            for hdu in hdus:
                data = hdu.data
                height, width = data.shape if data is not None else (0, 0)
                out.append("HDU %d %d" % (width, height))
                for card in hdu.header.cards:
                    value = card.value
                    if isinstance(value, bool):
                        value = "T" if value else "F"
                    out.append("CARD %s\t%s" % (card.keyword, repr(value) if isinstance(value, float) else value))
                    if card.keyword == "DATE-OBS":
                        out.append("CARD DATE-MS\t%d" % round(Time(value, scale="utc").unix * 1000))
                if data is not None:
                    if str(hdu.header.get("ROWORDER", "")).strip() == "TOP-DOWN":
                        data = data[::-1]
                    out.append("PIXELS " + " ".join(repr(v) for v in data.ravel().tolist()))
    out.append("VERIFY " + " | ".join(str(w.message) for w in caught))
    print("\n".join(out))


if __name__ == "__main__":
    main(sys.argv[1])
