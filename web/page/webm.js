// A recorded clip made whole: MediaRecorder writes a WebM as it goes, so
// its Segment and Clusters have no size, its Info no Duration and it has
// no Cues, and players can neither say how long it is nor seek in it. This
// writes the same clip again with the sizes, the duration, an index of the
// Clusters (Cues) and a SeekHead that points to it (Matroska's EBML layout).
// A file it does not understand is given back as it was.
(function (T) {
    "use strict";

    const ids = {
        ebml: 0x1a45dfa3, segment: 0x18538067, seekHead: 0x114d9b74, seek: 0x4dbb, seekId: 0x53ab,
        seekPosition: 0x53ac, info: 0x1549a966, timecodeScale: 0x2ad7b1, duration: 0x4489, tracks: 0x1654ae6b,
        cluster: 0x1f43b675, timecode: 0xe7, simpleBlock: 0xa3, blockGroup: 0xa0, block: 0xa1, cues: 0x1c53bb6b,
        cuePoint: 0xbb, cueTime: 0xb3, cueTrackPositions: 0xb7, cueTrack: 0xf7, cueClusterPosition: 0xf1,
    };
    // What may follow a Cluster of unknown size in the Segment: it ends there.
    const segmentLevel = new Set([ids.cluster, ids.cues, ids.info, ids.tracks, ids.seekHead,
        0x1254c367 /* Tags */, 0x1043a770 /* Chapters */, 0x1941a469 /* Attachments */]);

    // Reads the variable-length number at `at`: { value, length, unknown }.
    // An ID keeps its length marker; a size loses it, all ones meaning unknown.
    function readNumber(bytes, at, isId) {
        const first = bytes[at];
        let length = 1;
        while (length <= 8 && !(first & (0x80 >> (length - 1))))
            length++;
        if (length > 8 || at + length > bytes.length)
            throw new Error("not EBML");
        let value = isId ? first : first & (0xff >> length);
        let allOnes = value === 0xff >> length;
        for (let i = 1; i < length; i++) {
            value = value * 256 + bytes[at + i];
            allOnes = allOnes && bytes[at + i] === 0xff;
        }
        return { value, length, unknown: !isId && allOnes };
    }

    // The element at `at`: { id, start, data, end (null when unknown) }.
    function readElement(bytes, at) {
        const id = readNumber(bytes, at, true);
        const size = readNumber(bytes, at + id.length, false);
        const data = at + id.length + size.length;
        return { id: id.value, start: at, data, end: size.unknown ? null : data + size.value };
    }

    function readUint(bytes, from, to) {
        let value = 0;
        for (let i = from; i < to; i++)
            value = value * 256 + bytes[i];
        return value;
    }

    // The Cluster starting at element `e`: where it ends, its time, the
    // latest time of its blocks, and the track of its first block.
    function readCluster(bytes, e, segmentEnd) {
        const cluster = { start: e.start, data: e.data, end: e.end, time: 0, last: 0, track: 1, times: [] };
        let at = e.data;
        const limit = e.end === null ? segmentEnd : e.end;
        while (at < limit) {
            const child = readElement(bytes, at);
            if (e.end === null && segmentLevel.has(child.id))
                break;
            if (child.end === null || child.end > limit)
                throw new Error("a cluster's element of unknown size");
            if (child.id === ids.timecode)
                cluster.time = readUint(bytes, child.data, child.end);
            let block = child.id === ids.simpleBlock ? child.data : null;
            if (child.id === ids.blockGroup) {
                const inner = readElement(bytes, child.data);
                block = inner.id === ids.block ? inner.data : null;
            }
            if (block !== null) {
                const track = readNumber(bytes, block, false);
                const relative = ((bytes[block + track.length] << 8) | bytes[block + track.length + 1]) << 16 >> 16;
                cluster.times.push(relative);
                if (cluster.times.length === 1)
                    cluster.track = track.value;
            }
            at = child.end;
        }
        cluster.end = at;
        return cluster;
    }

    // ---- Writing --------------------------------------------------------

    function idBytes(id) {
        const out = [];
        for (let v = id; v > 0; v = Math.floor(v / 256))
            out.unshift(v % 256);
        return out;
    }

    // A size in eight bytes, so an element's length never depends on it.
    function sizeBytes(size) {
        const out = [0x01];
        for (let i = 6; i >= 0; i--)
            out.push(Math.floor(size / 2 ** (8 * i)) % 256);
        return out;
    }

    function element(id, payload) {
        return [...idBytes(id), ...sizeBytes(payload.length), ...payload];
    }

    // An unsigned number in eight bytes.
    function uintElement(id, value) {
        const payload = [];
        for (let i = 7; i >= 0; i--)
            payload.push(Math.floor(value / 2 ** (8 * i)) % 256);
        return element(id, payload);
    }

    function floatElement(id, value) {
        const payload = new Uint8Array(8);
        new DataView(payload.buffer).setFloat64(0, value);
        return element(id, [...payload]);
    }

    // The clip's length in the Segment's time units: the last block's time
    // and one frame more (the typical gap between blocks).
    function durationOf(clusters) {
        const times = clusters.flatMap((c) => c.times.map((t) => c.time + t)).sort((a, b) => a - b);
        if (!times.length)
            return 0;
        const gaps = times.slice(1).map((t, i) => t - times[i]).filter((g) => g > 0).sort((a, b) => a - b);
        return times[times.length - 1] + (gaps.length ? gaps[Math.floor(gaps.length / 2)] : 0);
    }

    // The Info element with the duration set (any old one dropped).
    function infoWith(bytes, info, duration) {
        const children = [];
        for (let at = info.data; at < info.end;) {
            const child = readElement(bytes, at);
            if (child.id !== ids.duration)
                children.push(...bytes.subarray(child.start, child.end));
            at = child.end;
        }
        return element(ids.info, [...children, ...floatElement(ids.duration, duration)]);
    }

    function cuesFor(clusters, positions) {
        const points = clusters.flatMap((c, i) => element(ids.cuePoint, [
            ...uintElement(ids.cueTime, c.time),
            ...element(ids.cueTrackPositions, [...uintElement(ids.cueTrack, c.track),
                ...uintElement(ids.cueClusterPosition, positions[i])]),
        ]));
        return element(ids.cues, points);
    }

    function seekHeadFor(entries) {
        return element(ids.seekHead, entries.flatMap(([id, position]) => element(ids.seek, [
            ...element(ids.seekId, idBytes(id)), ...uintElement(ids.seekPosition, position)])));
    }

    // The clip with sizes, duration, Cues and SeekHead: a new Uint8Array,
    // or `bytes` itself when it is not a WebM this understands.
    function finish(bytes) {
        try {
            return rewrite(bytes);
        } catch (e) {
            return bytes;
        }
    }

    function rewrite(bytes) {
        const header = readElement(bytes, 0);
        if (header.id !== ids.ebml || header.end === null)
            throw new Error("no EBML header");
        const segment = readElement(bytes, header.end);
        if (segment.id !== ids.segment)
            throw new Error("no segment");
        const segmentEnd = segment.end === null ? bytes.length : Math.min(segment.end, bytes.length);
        let info = null, tracks = null;
        const clusters = [];
        for (let at = segment.data; at < segmentEnd;) {
            const e = readElement(bytes, at);
            if (e.id === ids.cluster) {
                const cluster = readCluster(bytes, e, segmentEnd);
                clusters.push(cluster);
                at = cluster.end;
                continue;
            }
            if (e.end === null)
                throw new Error("an element of unknown size");
            if (e.id === ids.info)
                info = e;
            else if (e.id === ids.tracks)
                tracks = e;
            at = e.end;  // an old SeekHead or Cues is written anew; others are dropped
        }
        if (!info || !tracks || !clusters.length)
            throw new Error("no info, tracks or clusters");

        const infoBytes = infoWith(bytes, info, durationOf(clusters));
        const tracksBytes = bytes.subarray(tracks.start, tracks.end);
        const clusterBytes = clusters.map((c) => [...idBytes(ids.cluster), ...sizeBytes(c.end - c.data)]);
        // Every element's length is known before the positions are: the
        // SeekHead's and the Cues' numbers are all eight bytes.
        const seekLength = seekHeadFor([[ids.info, 0], [ids.tracks, 0], [ids.cues, 0]]).length;
        const positions = [];
        let position = seekLength + infoBytes.length + tracksBytes.length;
        clusters.forEach((c, i) => {
            positions.push(position);
            position += clusterBytes[i].length + (c.end - c.data);
        });
        const cuesBytes = cuesFor(clusters, positions);
        const seekBytes = seekHeadFor([[ids.info, seekLength], [ids.tracks, seekLength + infoBytes.length],
            [ids.cues, position]]);
        const segmentSize = position + cuesBytes.length;

        const out = new Uint8Array(header.end + 12 + segmentSize);
        let at = 0;
        const put = (part) => {
            out.set(part, at);
            at += part.length;
        };
        put(bytes.subarray(0, header.end));
        put([...idBytes(ids.segment), ...sizeBytes(segmentSize)]);
        put(seekBytes);
        put(infoBytes);
        put(tracksBytes);
        clusters.forEach((c, i) => {
            put(clusterBytes[i]);
            put(bytes.subarray(c.data, c.end));
        });
        put(cuesBytes);
        return out;
    }

    T.webm = { finish };
})(self.tovrine = self.tovrine || {});
