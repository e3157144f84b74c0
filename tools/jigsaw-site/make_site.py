#!/usr/bin/env python3
"""Makes a jigsaw site from a folder of pictures.

    tools/jigsaw-site/make_site.py PICTURES SITE [--tool ZIVRA_TOOL]
        [--format rar|zip] [--thumbs THUMBS]

For every picture PICTURES/NAME.jpg (or .png) it writes the jigsaw NAME.zjg
(with `zivra-tool make-jigsaw`; the description is PICTURES/NAME.txt when
present), packs it as SITE/zivra/jigsaws_bemo/NAME.<format> and, with
--thumbs, writes the game's list picture THUMBS/NAME.jpg (ImageMagick). Then
SITE/zivra/jigsaws_bemo/info.dat names the archive kind. Any static web
server can serve SITE; put Basic authentication in front of it.
"""
import argparse
import os
import subprocess
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import rar4  # noqa: E402

SITE_PATH = os.path.join("zivra", "jigsaws_bemo")
THUMB_SIZE = "400x300"  # the dialog's large preview; the list reduces it further


def pack(fmt, jig_path, archive_path):
    name = os.path.basename(jig_path)
    with open(jig_path, "rb") as f:
        data = f.read()
    if fmt == "rar":
        rar4.write_rar4(archive_path, [(name, data)])
    else:
        # A jigsaw's picture is compressed already: store it.
        with zipfile.ZipFile(archive_path, "w", zipfile.ZIP_STORED) as z:
            z.writestr(name, data)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("pictures")
    ap.add_argument("site")
    ap.add_argument("--tool", default=os.path.join("build", "release", "bin", "zivra-tool"))
    ap.add_argument("--format", choices=["rar", "zip"], default="rar")
    ap.add_argument("--thumbs")
    args = ap.parse_args()

    names = sorted((f for f in os.listdir(args.pictures)
                    if os.path.splitext(f)[1].lower() in (".jpg", ".jpeg", ".png")), key=str.lower)
    if not names:
        sys.exit(f"make_site: no pictures in {args.pictures}")
    out = os.path.join(args.site, SITE_PATH)
    os.makedirs(out, exist_ok=True)
    if args.thumbs:
        os.makedirs(args.thumbs, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        for pic in names:
            base = os.path.splitext(pic)[0]
            src = os.path.join(args.pictures, pic)
            desc_file = os.path.join(args.pictures, base + ".txt")
            desc = open(desc_file, encoding="utf-8").read().strip() if os.path.exists(desc_file) else base
            jig = os.path.join(work, base + ".zjg")
            subprocess.run([args.tool, "make-jigsaw", src, jig, "--desc", desc], check=True)
            pack(args.format, jig, os.path.join(out, base + "." + args.format))
            if args.thumbs:
                subprocess.run(["convert", src, "-resize", THUMB_SIZE, "-quality", "85", "-strip",
                                os.path.join(args.thumbs, base + ".jpg")], check=True)
            print(f"make_site: {base}")
    with open(os.path.join(out, "info.dat"), "w", encoding="utf-8", newline="\n") as f:
        f.write(f"ext: {args.format}\nother: {len(names)} jigsaws\n")
    print(f"make_site: {len(names)} jigsaws in {out}")


if __name__ == "__main__":
    main()
