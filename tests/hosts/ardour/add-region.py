#!/usr/bin/env python3
"""Puts a stereo WAV file on the first audio track of an Ardour 7 session, as
a region from the session's start, and sets the session range to the file's
length (what ardour7-export renders). Ardour's Lua tool has no audio import.

    add-region.py SESSION_DIR NAME WAV_FILE
"""
import shutil
import struct
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

SUPERCLOCKS_PER_SECOND = 282240000  # Ardour 7's time unit


def wav_frames_and_channels(path):
    """Frame and channel count of a RIFF WAVE file, PCM or float."""
    data = path.read_bytes()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        sys.exit(f"add-region.py: {path} is not a WAV file")
    position, channels, frame_bytes = 12, 0, 0
    while position + 8 <= len(data):
        chunk, size = data[position:position + 4], struct.unpack("<I", data[position + 4:position + 8])[0]
        body = data[position + 8:position + 8 + size]
        if chunk == b"fmt ":
            channels = struct.unpack("<H", body[2:4])[0]
            frame_bytes = struct.unpack("<H", body[12:14])[0]
        elif chunk == b"data" and frame_bytes:
            return size // frame_bytes, channels
        position += 8 + size + (size & 1)
    sys.exit(f"add-region.py: {path} has no audio data")


def main():
    session_dir, name, wav = Path(sys.argv[1]), sys.argv[2], Path(sys.argv[3])
    session_file = session_dir / f"{name}.ardour"
    tree = ET.parse(session_file)
    session = tree.getroot()
    rate = int(session.get("sample-rate"))

    frames, channels = wav_frames_and_channels(wav)
    if channels != 2:
        sys.exit(f"add-region.py: {wav} has {channels} channels, not 2")
    audiofiles = session_dir / "interchange" / name / "audiofiles"
    audiofiles.mkdir(parents=True, exist_ok=True)
    shutil.copy(wav, audiofiles / wav.name)

    next_id = int(session.get("id-counter")) + 1
    def new_id():
        nonlocal next_id
        next_id += 1
        return str(next_id - 1)

    def timepos(samples):
        return "a%d" % (samples * SUPERCLOCKS_PER_SECOND // rate)

    sources = session.find("Sources")
    source_ids = []
    for channel in range(2):
        source_id = new_id()
        ET.SubElement(sources, "Source", {
            "name": wav.name, "type": "audio", "flags": "", "id": source_id, "captured-for": "",
            "take-id": "", "channel": str(channel), "origin": "", "gain": "1"})
        source_ids.append(source_id)

    region = {
        "name": wav.stem, "muted": "0", "opaque": "1", "locked": "0", "video-locked": "0", "automatic": "0",
        "whole-file": "0", "import": "0", "external": "0", "sync-marked": "0", "left-of-split": "0",
        "right-of-split": "0", "hidden": "0", "position-locked": "0", "valid-transients": "0",
        # A length carries its position: "a<superclocks>@a<position>".
        "start": timepos(0), "length": timepos(frames) + "@a0", "sync-position": timepos(0),
        "ancestral-start": timepos(0), "ancestral-length": "a0@a0", "stretch": "1", "shift": "1",
        "layering-index": "0", "tags": "", "contents": "0", "type": "audio", "first-edit": "nothing", "channels": "2", "envelope-active": "0",
        "default-fade-in": "0", "default-fade-out": "0", "fade-in-active": "0", "fade-out-active": "0",
        "scale-amplitude": "1"}
    for channel, source_id in enumerate(source_ids):
        region[f"source-{channel}"] = source_id
        region[f"master-source-{channel}"] = source_id

    track = next(r for r in session.find("Routes") if r.get("audio-playlist"))
    playlist = next(p for p in session.find("Playlists") if p.get("id") == track.get("audio-playlist"))
    ET.SubElement(playlist, "Region", dict(region, id=new_id()))

    locations = session.find("Locations")
    ET.SubElement(locations, "Location", {
        "id": new_id(), "name": "session", "start": timepos(0), "end": timepos(frames),
        "flags": "IsSessionRange", "locked": "0", "timestamp": "0", "cue": "0"})

    session.set("id-counter", str(next_id))
    tree.write(session_file, encoding="UTF-8", xml_declaration=True)


if __name__ == "__main__":
    main()
