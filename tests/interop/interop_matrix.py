#!/usr/bin/env python3
"""What hozanki-cli writes, the Linux readers read back with the same values.

Every format and tag kind that Hozanki writes gets Japanese, Korean, accented
Latin and emoji values through `hozanki-cli set` (the program's own save
operation), with the default options and with each ID3v2 version, and is read
back by mutagen, ffprobe and gst-discoverer-1.0. Frames that were already in
the file (picture, lyrics, ReplayGain, a user TXXX) must survive the save.

Where a combination cannot be right (ID3v1 and "Unicode" off keep code page
932 bytes that every peer takes as ISO-8859-1), the matrix checks that the
peer reads exactly that mojibake and prints a NOTE, so the limit is visible.
A peer that does not read a format at all is listed, never silently skipped.

usage: interop_matrix.py HOZANKI_CLI TEST_DATA_DIR
"""

import codecs
import json
import os
import shutil
import subprocess
import sys
import tempfile

JA = "夜に駆けるテスト"
KO = "한국어 노래"
LATIN = "Café Crème Brûlée"
EMOJI = "Party 🎉 Time"

# The four canonical fields and the names each peer gives them.
FIELDS = ("title", "artist", "album", "comment")
ALIASES = {
    "title": ("title",),
    "artist": ("artist", "author"),
    "album": ("album",),
    "comment": ("comment", "description"),
    "track": ("track", "track number", "tracknumber", "wm/tracknumber"),
    # The fields players group and sort by (each name below is one some peer gives).
    "albumartist": ("albumartist", "album_artist", "album artist", "wm/albumartist", "aart"),
    "artistsort": ("artistsort", "artist-sort", "artist sortname", "sort_artist", "wm/artistsortorder", "soar",
                   "tsop", "tsp"),
    "albumartistsort": ("albumartistsort", "album artist sortname", "sort_album_artist", "wm/albumartistsortorder",
                        "soaa", "tso2", "ts2"),
    "albumsort": ("albumsort", "album-sort", "album sortname", "sort_album", "wm/albumsortorder", "soal", "tsoa",
                  "tsa"),
    "titlesort": ("titlesort", "title-sort", "title sortname", "sort_name", "wm/titlesortorder", "sonm", "tsot",
                  "tst"),
    "lyrics": ("lyrics", "lyrics-jpn", "wm/lyrics", "\u00a9lyr"),
}

# Peers that do not read a tag kind (listed in the output).
NOT_READ = {
    ("mutagen", "WAV"): "mutagen reads only ID3 chunks of WAV files, not RIFF INFO",
    ("mutagen", "AVI"): "mutagen does not read AVI",
    ("mutagen", "VQF"): "mutagen does not read VQF",
    ("mutagen", "RIFF"): "mutagen does not read RIFF-wrapped MP3",
    ("ffprobe", "RIFF"): "FFmpeg does not read the INFO list of a RIFF-wrapped MP3",
    ("ffprobe", "MP3APE"): "FFmpeg does not read APE tags of MP3 files",
    ("gstreamer", "RIFF"): "GStreamer does not read the INFO list of a RIFF-wrapped MP3",
    ("gstreamer", "VQF"): "GStreamer has no VQF demuxer",
}
# Peers that do not read one case's file.
NOT_READ_CASE = {
    ("gstreamer", "APE"): "GStreamer cannot decode the tiny Monkey's Audio fixture",
    ("gstreamer", "APE Musepack"): "GStreamer's Musepack demuxer leaves the APE tag unread",
    ("gstreamer", "APE TAK"): "GStreamer has no TAK demuxer",
    ("gstreamer", "APE collector fields"): "GStreamer cannot decode the tiny Monkey's Audio fixture",
    ("gstreamer", "APE Musepack collector fields"): "GStreamer's Musepack demuxer leaves the APE tag unread",
    ("gstreamer", "APE TAK collector fields"): "GStreamer has no TAK demuxer",
}

# Peers that read a tag kind but not one of the collectors' fields in it.
FIELD_NOT_READ = {
    ("gstreamer", "ID3v2", "albumartistsort"): "GStreamer has no mapping for TSO2",
    ("gstreamer", "ID3v2", "lyrics"): "GStreamer's ID3v2 reader skips USLT",
    ("ffprobe", "ID3v2.2", "lyrics"): "FFmpeg does not read ID3v2.2 lyrics (ULT)",
    ("gstreamer", "ID3v2.2", "artistsort"): "GStreamer reads no sort names from ID3v2.2 tags",
    ("gstreamer", "ID3v2.2", "albumsort"): "GStreamer reads no sort names from ID3v2.2 tags",
    ("gstreamer", "ID3v2.2", "titlesort"): "GStreamer reads no sort names from ID3v2.2 tags",
    ("gstreamer", "WMA", "albumartist"): "GStreamer reads WM/AlbumArtist as a second artist",
    ("gstreamer", "WMA", "artistsort"): "GStreamer's ASF reader has no sort names",
    ("gstreamer", "WMA", "albumartistsort"): "GStreamer's ASF reader has no sort names",
    ("gstreamer", "WMA", "albumsort"): "GStreamer's ASF reader has no sort names",
    ("gstreamer", "WMA", "titlesort"): "GStreamer's ASF reader has no sort names",
    ("gstreamer", "WMA", "lyrics"): "GStreamer's ASF reader has no lyrics",
}
for _field in ("albumartist", "artistsort", "albumartistsort", "albumsort", "titlesort", "lyrics"):
    for _kind in ("MP3APE", "APE"):
        FIELD_NOT_READ[("gstreamer", _kind, _field)] = "GStreamer reads only the disc of these APE items"


class Failure(Exception):
    pass


def run(args, env=None, check=True):
    p = subprocess.run(args, capture_output=True, env=env, timeout=60)
    if check and p.returncode != 0:
        raise Failure("%s failed (%d): %s" % (args[0], p.returncode, p.stderr.decode("utf-8", "replace")))
    return p


# ---- peers ---------------------------------------------------------------

MUTAGEN_DUMP = r"""
import json, sys, mutagen
from mutagen.id3 import ID3, ID3NoHeaderError
from mutagen.apev2 import APEv2, APENoHeaderError
path, kind = sys.argv[1], sys.argv[2]
out = {}
def put(k, v):
    out.setdefault(k, []).append(str(v))
if kind in ("ID3v2", "ID3v1"):
    try:
        t = ID3(path)
    except ID3NoHeaderError:
        t = mutagen.File(path).tags
    out["version"] = [str(t.version[1])] if t.version[0] == 2 and kind == "ID3v2" else []
    for frame, key in (("TIT2", "title"), ("TPE1", "artist"), ("TALB", "album"), ("TRCK", "track"),
                       ("TPE2", "albumartist"), ("TPOS", "disc"), ("TSOP", "artistsort"),
                       ("TSO2", "albumartistsort"), ("TSOA", "albumsort"), ("TSOT", "titlesort")):
        if frame in t:
            put(key, t[frame])
    for c in t.getall("COMM"):
        if c.desc == "":
            put("comment", c)
    for p in t.getall("APIC"):
        put("picture", len(p.data))
    for u in t.getall("USLT"):
        put("lyrics", u.text)
    for x in t.getall("TXXX"):
        put("txxx:" + x.desc.lower(), x)
elif kind in ("APE", "MP3APE"):
    t = APEv2(path)
    for k in t.keys():
        put(k.lower(), t[k])
else:
    f = mutagen.File(path)
    names = {"©nam": "title", "©ART": "artist", "©alb": "album", "©cmt": "comment",
             "Title": "title", "Author": "artist", "WM/AlbumTitle": "album", "Description": "comment"}
    for k, v in (f.tags or {}).items() if hasattr(f.tags, "items") else []:
        key = names.get(k, k.lower())
        for item in (v if isinstance(v, list) else [v]):
            put(key, item)
print(json.dumps(out))
"""


def read_mutagen(path, fmt, kind):
    p = run([sys.executable, "-c", MUTAGEN_DUMP, path, kind])
    return json.loads(p.stdout)


def read_ffprobe(path, fmt, kind):
    p = run(["ffprobe", "-v", "error", "-show_entries", "format_tags:stream_tags", "-of", "json", path])
    data = json.loads(p.stdout.decode("utf-8", "replace"))
    out = {}
    tags = [data.get("format", {}).get("tags", {})] + [s.get("tags", {}) for s in data.get("streams", [])]
    for group in tags:
        for k, v in group.items():
            out.setdefault(k.lower(), []).append(v)
    return out


def read_gstreamer(path, fmt, kind):
    p = run(["gst-discoverer-1.0", "-v", path])
    out = {}
    inside = False
    last = None
    for line in p.stdout.decode("utf-8", "replace").splitlines():
        if line.startswith("  Tags:"):
            inside = True
            continue
        if inside and line and not line[0].isspace() and last:
            out[last][-1] += "\n" + line  # a value of several lines (lyrics)
            continue
        if inside and not line.startswith("      "):
            break
        if inside and ": " in line:
            k, v = line.strip().split(": ", 1)
            last = k.lower()
            out.setdefault(last, []).extend(v.split(", ") if k not in ("comment", "lyrics") else [v])
    return out


PEERS = {"mutagen": read_mutagen, "ffprobe": read_ffprobe, "gstreamer": read_gstreamer}


def have_peer(name):
    if name == "mutagen":
        return run([sys.executable, "-c", "import mutagen"], check=False).returncode == 0
    tool = {"ffprobe": "ffprobe", "gstreamer": "gst-discoverer-1.0"}[name]
    return shutil.which(tool) is not None


def values_of(tags, field):
    found = []
    for alias in ALIASES[field]:
        found += tags.get(alias, [])
    return found


# ffprobe replaces every byte of invalid UTF-8 with U+FFFD.
codecs.register_error("each-byte", lambda e: ("\ufffd" * (e.end - e.start), e.end))


def mojibakes(text):
    """Code page 932 bytes of `text` as the peers show them: decoded as
    ISO-8859-1 or Windows-1252, or passed through as invalid UTF-8."""
    raw = text.encode("cp932")
    return {raw.decode("latin-1"), raw.decode("cp1252", "replace"), raw.decode("utf-8", "each-byte")}


# ---- the matrix ----------------------------------------------------------

class Case:
    def __init__(self, name, fmt, kind, fixture, values, options=None, names=None, extras=False,
                 mojibake_fields=(), version=None, track=None, decoded=False):
        self.name = name
        self.fmt = fmt          # format as the peers see it: MP3, RMP3, WAV, ...
        self.kind = kind        # tag kind Hozanki writes
        self.fixture = fixture
        self.values = values    # canonical field -> text
        self.options = options or {}
        self.names = names      # canonical field -> Hozanki value name
        self.extras = extras
        self.mojibake_fields = mojibake_fields
        self.version = version
        self.track = track
        self.decoded = decoded  # the decoded audio must not change (ffmpeg -f md5)


def names_for(suffix, comment="ICMT"):
    return {"title": "INAM" + suffix, "artist": "IART" + suffix, "album": "IPRD" + suffix,
            "comment": comment + suffix, "track": "TRACK" + suffix}


def id3v2_case(label, options, version):
    return Case("MP3 ID3v2 " + label, "MP3", "ID3v2", "mp3/plain.mp3",
                {"title": JA, "artist": KO, "album": LATIN, "comment": EMOJI},
                options, names_for("_v2"), extras=True, version=version, track="1/1")


CASES = [
    id3v2_case("defaults (2.3)", {}, 3),
    id3v2_case("2.4", {"ID3v2Ver": "3"}, 4),
    id3v2_case("2.2", {"ID3v2Ver": "1"}, 2),
    # The user's own choice: "Unicode" off keeps Shift-JIS in ISO-8859-1
    # frames, which every peer reads as mojibake; text outside code page 932
    # still goes to UTF-16 frames and reads right.
    Case("MP3 ID3v2 Unicode off", "MP3", "ID3v2", "mp3/plain.mp3",
         {"title": JA, "artist": KO, "album": "ASCII Album"}, {"Unicode": "1"},
         names_for("_v2"), mojibake_fields=("title",), version=3),
    # ID3v1 holds code page 932 bytes only; peers read them as ISO-8859-1.
    Case("MP3 ID3v1", "MP3", "ID3v1", "mp3/plain.mp3", {"title": JA, "artist": "Plain ASCII"}, {},
         names_for("_v1"), mojibake_fields=("title",)),
    Case("MP3 APE", "MP3", "MP3APE", "mp3/plain.mp3",
         {"title": JA, "artist": KO, "album": LATIN, "comment": EMOJI}, {}, names_for("_APE")),
    Case("RMP3 RIFF", "RMP3", "RIFF", "mp3/rmp3.rmp",
         {"title": JA, "artist": KO, "album": LATIN, "comment": EMOJI}, {}, names_for("_rmp")),
    Case("WAV", "WAV", "WAV", "wav/plain.wav",
         {"title": JA, "artist": KO, "album": LATIN, "comment": EMOJI}, {}, names_for("")),
    Case("AVI", "AVI", "AVI", "avi/tagged.avi",
         {"title": JA, "artist": KO, "comment": EMOJI + " " + LATIN}, {}, names_for("")),
    # VQF keeps code page 932 for text that fits it (UTF-8 only otherwise).
    Case("VQF", "VQF", "VQF", "vqf/plain.vqf",
         {"title": JA, "artist": KO, "comment": EMOJI + " " + LATIN}, {}, names_for(""),
         mojibake_fields=("title",)),
    Case("WMA", "WMA", "WMA", "wma/tagged.wma",
         {"title": JA, "artist": KO, "album": LATIN, "comment": EMOJI}, {}, names_for(""), track="3"),
    Case("OGG", "OGG", "OGG", "ogg/tagged.ogg",
         {"title": JA, "artist": KO, "album": LATIN, "comment": EMOJI}, {}, names_for(""), track="4"),
    Case("APE", "APE", "APE", "ape/plain.ape",
         {"title": JA, "artist": KO, "album": LATIN, "comment": EMOJI}, {}, names_for("")),
    Case("MP4", "MP4", "MP4", "mp4/tagged.m4a",
         {"title": JA, "artist": KO, "album": LATIN, "comment": EMOJI}, {}, names_for(""), track="2/9"),
    Case("FLAC", "FLAC", "FLAC", "flac/tagged.flac",
         {"title": JA, "artist": KO, "album": LATIN, "comment": EMOJI}, {}, names_for(""), track="5"),
] + [
    # The other codecs of the OGG and APE pages.
    Case(name, fmt, fmt, fixture, {"title": JA, "artist": KO, "album": LATIN, "comment": EMOJI}, {},
         names_for(""), track="3", decoded=not fixture.endswith(".tak"))
    for name, fmt, fixture in (("OGG Opus", "OGG", "ogg/tagged.opus"), ("OGG Speex", "OGG", "ogg/tagged.spx"),
                               ("OGG FLAC", "OGG", "ogg/flac.oga"), ("APE WavPack", "APE", "ape/tagged.wv"),
                               ("APE Musepack", "APE", "ape/tagged.mpc"), ("APE TAK", "APE", "ape/tagged.tak"))
]

# The fields players group and sort by, in every tag kind that holds them.
COLLECTOR = {"albumartist": "宇多田ヒカル", "disc": "1/2", "artistsort": "ウタダヒカル",
             "albumartistsort": "Utada Hikaru", "albumsort": "ファーストラヴ", "titlesort": "オートマティック",
             "lyrics": "七回目のベルで\n受話器を取った君"}


def collector_names(suffix):
    return {"albumartist": "AART" + suffix, "disc": "DISC" + suffix, "artistsort": "SOAR" + suffix,
            "albumartistsort": "SOAA" + suffix, "albumsort": "SOAL" + suffix, "titlesort": "SONM" + suffix,
            "lyrics": "LYRC" + suffix}


CASES += [
    Case("MP3 ID3v2 collector fields (2.3)", "MP3", "ID3v2", "mp3/plain.mp3", COLLECTOR, {},
         collector_names("_v2"), version=3),
    Case("MP3 ID3v2 collector fields 2.4", "MP3", "ID3v2", "mp3/plain.mp3", COLLECTOR, {"ID3v2Ver": "3"},
         collector_names("_v2"), version=4),
    Case("MP3 ID3v2 collector fields 2.2", "MP3", "ID3v2", "mp3/plain.mp3", COLLECTOR, {"ID3v2Ver": "1"},
         collector_names("_v2"), version=2),
    Case("MP3 APE collector fields", "MP3", "MP3APE", "mp3/plain.mp3", COLLECTOR, {}, collector_names("_APE")),
    Case("WMA collector fields", "WMA", "WMA", "wma/tagged.wma", COLLECTOR, {}, collector_names("")),
    Case("OGG collector fields", "OGG", "OGG", "ogg/tagged.ogg", COLLECTOR, {}, collector_names("")),
    Case("APE collector fields", "APE", "APE", "ape/plain.ape", COLLECTOR, {}, collector_names("")),
    Case("MP4 collector fields", "MP4", "MP4", "mp4/tagged.m4a", COLLECTOR, {}, collector_names("")),
    Case("FLAC collector fields", "FLAC", "FLAC", "flac/tagged.flac", COLLECTOR, {}, collector_names("")),
] + [
    Case(name + " collector fields", fmt, fmt, fixture, COLLECTOR, {}, collector_names(""))
    for name, fmt, fixture in (("OGG Opus", "OGG", "ogg/tagged.opus"), ("OGG Speex", "OGG", "ogg/tagged.spx"),
                               ("OGG FLAC", "OGG", "ogg/flac.oga"), ("APE WavPack", "APE", "ape/tagged.wv"),
                               ("APE Musepack", "APE", "ape/tagged.mpc"), ("APE TAK", "APE", "ape/tagged.tak"))
]

PICTURE = b"\x89PNG\r\n\x1a\n" + bytes(range(256)) * 4
LYRICS = "歌詞の一行目\n두 번째 줄"

ADD_EXTRAS = r"""
import sys
from mutagen.id3 import ID3, APIC, USLT, TXXX
t = ID3()
t.add(APIC(encoding=3, mime="image/png", type=3, desc="cover", data=open(sys.argv[2], "rb").read()))
t.add(USLT(encoding=1, lang="jpn", desc="", text=sys.argv[3]))
t.add(TXXX(encoding=1, desc="replaygain_track_gain", text="-6.50 dB"))
t.add(TXXX(encoding=1, desc="MyKey", text="自分の値"))
t.save(sys.argv[1], v2_version=4)
"""


def write(case, work, cli):
    folder = os.path.join(work, case.name.replace(" ", "_").replace("(", "").replace(")", ""))
    config = os.path.join(folder, "config")
    os.makedirs(config)
    path = os.path.join(folder, "file" + os.path.splitext(case.fixture)[1])
    shutil.copyfile(os.path.join(DATA, case.fixture), path)
    if case.options:
        with open(os.path.join(config, "NR284.ini"), "w", encoding="utf-8-sig", newline="\r\n") as ini:
            ini.write("[Option]\n" + "".join("%s=%s\n" % kv for kv in case.options.items()))
    if case.extras:
        picture = os.path.join(folder, "cover.png")
        with open(picture, "wb") as f:
            f.write(PICTURE)
        run([sys.executable, "-c", ADD_EXTRAS, path, picture, LYRICS])
    args = [cli, "set", path] + ["%s=%s" % (case.names[f], v) for f, v in case.values.items()]
    if case.track:
        args.append("%s=%s" % (case.names["track"], case.track))
    env = dict(os.environ, HOZANKI_CONFIG_DIR=config)
    run(args, env=env)
    return path


def check_flac(path, problems, skipped):
    """The stream still verifies (STREAMINFO's MD5 against the decoded audio)
    and the blocks and comments no cell showed are all there."""
    if not shutil.which("flac") or not shutil.which("metaflac"):
        skipped.append("FLAC / flac: flac and metaflac missing (Debian package flac)")
        return
    p = run(["flac", "-t", "-s", path], check=False)
    if p.returncode != 0:
        problems.append("FLAC / flac -t: %s" % p.stderr.decode("utf-8", "replace").strip())
    listing = run(["metaflac", "--list", path]).stdout.decode("utf-8", "replace")
    for needed in ("(SEEKTABLE)", "(CUESHEET)", "(PICTURE)", "(APPLICATION)", "REPLAYGAIN_TRACK_GAIN=-3.00 dB"):
        if needed not in listing:
            problems.append("FLAC / metaflac --list: %s lost" % needed)


def decoded_md5(path):
    return run(["ffmpeg", "-v", "error", "-i", path, "-map", "0:a", "-f", "md5", "-"]).stdout


def check_decoded(case, path, problems):
    """The audio decodes to the same samples as the fixture's; Ogg FLAC also
    passes `flac -t` (which reads its metadata blocks as libFLAC does)."""
    if decoded_md5(os.path.join(DATA, case.fixture)) != decoded_md5(path):
        problems.append("%s / ffmpeg: the decoded audio changed" % case.name)
    if case.fixture.endswith(".oga") and shutil.which("flac"):
        p = run(["flac", "-t", "-s", path], check=False)
        if p.returncode != 0:
            problems.append("%s / flac -t: %s" % (case.name, p.stderr.decode("utf-8", "replace").strip()))


def check(case, peer, tags, problems, notes):
    where = "%s / %s" % (case.name, peer)
    expected = dict(case.values)
    if case.track:
        expected["track"] = case.track
    for field, text in expected.items():
        not_read = FIELD_NOT_READ.get((peer, case.kind + (".2" if case.version == 2 else ""), field)) or \
            FIELD_NOT_READ.get((peer, case.kind, field))
        if not_read:
            notes.append("%s: %s not read: %s" % (where, field, not_read))
            continue
        if field == "disc":
            got = disc_values(tags, peer)
            if text not in got:
                problems.append("%s: disc %r read as %r" % (where, text, got))
            continue
        got = values_of(tags, field)
        if field == "lyrics":
            got += [v[len("LYRICS="):] for v in tags.get("extended comment", []) if v.startswith("LYRICS=")]
        if field == "track" and peer == "gstreamer":
            number, _, count = text.partition("/")
            want = [number] + ([count] if count else [])
            got = tags.get("track number", []) + tags.get("track count", [])
            if got != want:
                problems.append("%s: track %r read as %r" % (where, text, got))
            continue
        if field == "track" and peer == "mutagen" and case.fmt == "MP4":
            continue  # mutagen gives MP4 track pairs as tuples (checked by the core tests)
        if field in case.mojibake_fields and text not in got:
            if set(got) & mojibakes(text):
                notes.append("%s: %s %r is read as mojibake %r (code page 932 bytes in a field the peer "
                             "takes as ISO-8859-1)" % (where, field, text, got[0]))
            else:
                problems.append("%s: %s expected the documented mojibake, read %r" % (where, field, got))
            continue
        if text not in got:
            problems.append("%s: %s %r read as %r" % (where, field, text, got))
    if case.version and peer == "mutagen" and tags.get("version") != [str(case.version)]:
        problems.append("%s: ID3v2 version %s, expected 2.%d" % (where, tags.get("version"), case.version))
    if case.extras:
        survived = {
            "mutagen": [("picture", str(len(PICTURE))), ("lyrics", LYRICS),
                        ("txxx:replaygain_track_gain", "-6.50 dB"), ("txxx:mykey", "自分の値")],
            "ffprobe": [("lyrics-jpn", LYRICS), ("replaygain_track_gain", "-6.50 dB"), ("mykey", "自分の値")],
            "gstreamer": [("replaygain track gain", "-6.5")],
        }[peer]
        for key, text in survived:
            if peer == "ffprobe" and key == "lyrics-jpn" and case.version == 2:
                notes.append("%s: FFmpeg does not read ID3v2.2 lyrics (ULT); mutagen checks they survive" % where)
                continue
            got = tags.get(key, [])
            if not any(g.startswith(text) for g in got):
                problems.append("%s: other frame %s lost or changed (%r)" % (where, key, got))


def disc_values(tags, peer):
    """The disc as "n/m" however the peer gives it: one text, a tuple, or a
    number and a count."""
    if peer == "gstreamer":
        number, count = tags.get("disc number", []), tags.get("disc count", [])
        return ["%s/%s" % (number[0], count[0])] if number and count else number
    found = []
    for key in ("disc", "tpa", "wm/partofset"):
        found += tags.get(key, [])
    total = tags.get("disctotal", [])
    numbers = tags.get("discnumber", []) + [v for v in tags.get("disc", []) if "/" not in v]
    if numbers and total:
        found.append("%s/%s" % (numbers[0], total[0]))
    found += [v.strip("()").replace(", ", "/") for v in tags.get("disk", [])]
    return found


def main():
    global DATA
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    cli, DATA = sys.argv[1], sys.argv[2]
    peers = [p for p in PEERS if have_peer(p)]
    missing = sorted(set(PEERS) - set(peers))
    if missing and os.environ.get("HOZANKI_INTEROP_REQUIRE_ALL", "1") == "1":
        print("missing peers: %s (scripts/setup.sh installs them)" % ", ".join(missing))
        return 1
    problems, notes, skipped = [], [], []
    with tempfile.TemporaryDirectory(prefix="hozanki-interop-") as work:
        for case in CASES:
            try:
                path = write(case, work, cli)
            except Failure as e:
                problems.append("%s: write failed: %s" % (case.name, e))
                continue
            if case.fmt == "FLAC":
                check_flac(path, problems, skipped)
            if case.decoded:
                try:
                    check_decoded(case, path, problems)
                except Failure as e:
                    problems.append("%s: cannot decode: %s" % (case.name, e))
            for peer in peers:
                reason = NOT_READ_CASE.get((peer, case.name)) or NOT_READ.get((peer, case.kind))
                if reason:
                    skipped.append("%s / %s: %s" % (case.name, peer, reason))
                    continue
                try:
                    tags = PEERS[peer](path, case.fmt, case.kind)
                except (Failure, ValueError) as e:
                    problems.append("%s / %s: cannot read: %s" % (case.name, peer, e))
                    continue
                check(case, peer, tags, problems, notes)
    for line in skipped:
        print("NOT READ  " + line)
    for line in notes:
        print("NOTE      " + line)
    for line in problems:
        print("FAIL      " + line)
    print("%d cases x %d peers: %d failures" % (len(CASES), len(peers), len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
