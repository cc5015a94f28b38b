#!/usr/bin/env python3
"""Turns a type library's local copy of another library's interface into a
reference to that library, and sets the type flags widl cannot express.

widl copies every interface a coclass lists into the library it writes, even
when the interface belongs to another library. Registering such a library
would write Interface keys for the copy and take over the owner's entries;
unregistering would delete them. This step rewrites the finished MSFT file:

  * the local copy of --import's interface is removed, together with the
    names only it used; every reference to it becomes a reference into the
    owning library (an import entry: library GUID, version, file name), the
    way a library compiled against the owner's own .tlb/.olb refers to it;
  * --flags GUID=VALUE sets a type's TYPEFLAGS (e.g. nonextensible on a
    dispinterface, which widl rejects);
  * a dispinterface without a base gets IDispatch, as automation expects;
  * --lcid sets the library's locale;
  * --order lists the GUIDs of the types the result must hold, in order;
    anything else is an error.

The file is written afresh: header, type offsets, segment directory, the
segments, then each type's member records.
"""
import argparse
import struct
import sys
import uuid

TI_SIZE = 0x64
SEGMENTS = ('TypeInfo ImpInfo ImpFiles RefTab GuidHash Guid NameHash Name String '
            'Typdesc ArrayDesc CustData CDGuids Res0e Res0f').split()
TKIND_INTERFACE, TKIND_DISPATCH = 3, 4
VT_USERDEFINED = 0x1D


def fail(message):
    sys.exit('typelib_import: ' + message)


def i32(data, off):
    return struct.unpack_from('<i', data, off)[0]


def guid_hash(raw):
    h = 0
    for (s,) in struct.iter_unpack('<h', raw):
        h ^= s
    return h & 0x1F


class TypeLib:
    def __init__(self, data):
        if data[:4] != b'MSFT':
            fail('not an MSFT type library')
        self.header = list(struct.unpack_from('<21i', data, 0))
        pos = 0x54
        self.helpdll = None
        if self.header[5] & 0x100:
            self.helpdll = i32(data, pos)
            pos += 4
        count = self.header[8]
        offsets = struct.unpack_from('<%di' % count, data, pos)
        if list(offsets) != [i * TI_SIZE for i in range(count)]:
            fail('unexpected type offsets %r' % (offsets,))
        pos += 4 * count
        self.segdir = [list(struct.unpack_from('<4i', data, pos + 16 * i)) for i in range(15)]
        self.seg = {}
        for name, (off, length, _, _) in zip(SEGMENTS, self.segdir):
            self.seg[name] = bytearray(data[off:off + length]) if off >= 0 else bytearray()
        # each type: its record and its member block (functions and variables)
        self.types = []
        for i in range(count):
            rec = list(struct.unpack_from('<25i', self.seg['TypeInfo'], i * TI_SIZE))
            nfunc, nvar = rec[6] & 0xFFFF, rec[6] >> 16
            block = b''
            if nfunc + nvar:
                infolen = i32(data, rec[1])
                block = data[rec[1]:rec[1] + 4 + infolen + 12 * (nfunc + nvar)]
            self.types.append({'rec': rec, 'block': bytearray(block)})

    # ---- tables ----
    def guids(self):
        g = self.seg['Guid']
        return [(off, g[off:off + 16]) for off in range(0, len(g), 24)]

    def guid_offset(self, text):
        raw = uuid.UUID(text).bytes_le
        for off, value in self.guids():
            if value == raw:
                return off
        return None

    def type_index(self, text):
        off = self.guid_offset(text)
        for i, t in enumerate(self.types):
            if t['rec'][11] == off:
                return i
        fail('no type %s in the library' % text)

    def names(self):
        n = self.seg['Name']
        pos, out = 0, []
        while pos < len(n):
            length = i32(n, pos + 8) & 0xFF
            size = 12 + ((length + 3) & ~3)
            out.append((pos, bytes(n[pos:pos + size])))
            pos += size
        return out

    def member_name_fields(self, t):
        """Offsets, within a type's member block, of every name reference."""
        block, rec = t['block'], t['rec']
        if not block:
            return []
        n = (rec[6] & 0xFFFF) + (rec[6] >> 16)
        infolen = i32(block, 0)
        fields = [4 + infolen + 4 * n + 4 * k for k in range(n)]
        pos = 4
        for _ in range(rec[6] & 0xFFFF):  # function records: parameters at their end
            size = i32(block, pos) & 0xFFFF
            nargs = struct.unpack_from('<h', block, pos + 20)[0]
            for a in range(nargs):
                fields.append(pos + size - 12 * (nargs - a) + 4)
            pos += size
        return fields

    # ---- references ----
    def remap_hrefs(self, mapping):
        """Applies mapping(href) -> href to every type reference."""
        g = self.seg['Guid']
        for off, _ in self.guids():
            struct.pack_into('<i', g, off + 16, mapping(i32(g, off + 16)))
        n = self.seg['Name']
        for off, _ in self.names():
            struct.pack_into('<i', n, off, mapping(i32(n, off)))
        r = self.seg['RefTab']
        for off in range(0, len(r), 16):
            struct.pack_into('<i', r, off, mapping(i32(r, off)))
        td = self.seg['Typdesc']
        for off in range(0, len(td), 8):
            if i32(td, off) & 0xFFFF == VT_USERDEFINED:
                struct.pack_into('<i', td, off + 4, mapping(i32(td, off + 4)))
        for t in self.types:
            rec = t['rec']
            if rec[0] & 0xF in (TKIND_INTERFACE, TKIND_DISPATCH) and rec[21] != -1:
                rec[21] = mapping(rec[21])

    def drop_to_import(self, iid, libid, version, filename):
        index = self.type_index(iid)
        local = index * TI_SIZE
        kind = self.types[index]['rec'][0] & 0xF
        iid_off = self.guid_offset(iid)
        # the owning library's GUID, then the file and the type entries
        lib_off = self.guid_offset(libid)
        if lib_off is None:
            lib_off = len(self.seg['Guid'])
            self.seg['Guid'] += uuid.UUID(libid).bytes_le + struct.pack('<ii', 2, -1)
        major, minor = (int(x) for x in version.split('.'))
        name = filename.encode('ascii')
        impfile = struct.pack('<iiiH', lib_off, 0, major | (minor << 16), (len(name) << 2) | 1) + name
        impfile += b'W' * (-len(impfile) % 4)
        file_off = len(self.seg['ImpFiles'])
        self.seg['ImpFiles'] += impfile
        info_off = len(self.seg['ImpInfo'])
        self.seg['ImpInfo'] += struct.pack('<iii', (kind << 24) | 0x10000, file_off, iid_off)
        self.header[20] += 1  # nimpinfos
        imported = info_off + 1

        def mapping(href):
            if href < 0 or href % TI_SIZE:
                return href  # special values and imports
            if href == local:
                return imported
            return href - TI_SIZE if href > local else href
        del self.types[index]
        self.remap_hrefs(mapping)
        g = self.seg['Guid']
        struct.pack_into('<i', g, iid_off + 16, imported)
        self.prune_names()
        self.rehash_guids()

    def prune_names(self):
        """Keeps the names the remaining types and the library use."""
        used = {self.header[14]}
        for t in self.types:
            used.add(t['rec'][13])
            used.update(i32(t['block'], f) for f in self.member_name_fields(t))
        kept, moved, pos = bytearray(), {}, 0
        count = chars = 0
        for off, entry in self.names():
            if off in used:
                moved[off] = pos
                kept += entry
                pos += len(entry)
                count += 1
                chars += i32(entry, 8) & 0xFF
        self.seg['Name'] = kept
        self.header[12], self.header[13] = count, chars
        self.header[14] = moved[self.header[14]]
        for t in self.types:
            t['rec'][13] = moved[t['rec'][13]]
            for f in self.member_name_fields(t):
                struct.pack_into('<i', t['block'], f, moved[i32(t['block'], f)])
        buckets = [-1] * (len(self.seg['NameHash']) // 4)
        for off, entry in self.names():
            b = ((i32(entry, 8) >> 16) & 0xFF) % len(buckets)
            struct.pack_into('<i', self.seg['Name'], off + 4, buckets[b])
            buckets[b] = off
        self.seg['NameHash'] = bytearray(struct.pack('<%di' % len(buckets), *buckets))

    def rehash_guids(self):
        buckets = [-1] * (len(self.seg['GuidHash']) // 4)
        for off, raw in self.guids():
            b = guid_hash(raw) % len(buckets)
            struct.pack_into('<i', self.seg['Guid'], off + 20, buckets[b])
            buckets[b] = off
        self.seg['GuidHash'] = bytearray(struct.pack('<%di' % len(buckets), *buckets))

    def dispinterface_bases(self):
        for t in self.types:
            rec = t['rec']
            if rec[0] & 0xF == TKIND_DISPATCH and rec[21] == -1 and self.header[19] != -1:
                rec[21] = self.header[19]  # IDispatch
                rec[19] = (rec[19] & ~0xFFFF) | 1

    # ---- output ----
    def serialize(self):
        count = len(self.types)
        self.header[8] = count
        self.seg['TypeInfo'] = bytearray()
        pos = 0x54 + (4 if self.helpdll is not None else 0) + 4 * count + 16 * 15
        for name, entry in zip(SEGMENTS, self.segdir):
            if name == 'TypeInfo':
                length = count * TI_SIZE
            else:
                length = len(self.seg[name])
            if length or entry[0] >= 0:
                entry[0], entry[1] = pos, length
                pos += length
        blocks = bytearray()
        for t in self.types:
            t['rec'][1] = pos + len(blocks)
            blocks += t['block']
            self.seg['TypeInfo'] += struct.pack('<25i', *t['rec'])
        out = bytearray(struct.pack('<21i', *self.header))
        if self.helpdll is not None:
            out += struct.pack('<i', self.helpdll)
        out += struct.pack('<%di' % count, *[i * TI_SIZE for i in range(count)])
        for entry in self.segdir:
            out += struct.pack('<4i', *entry)
        for name, entry in zip(SEGMENTS, self.segdir):
            if entry[0] >= 0:
                assert len(out) == entry[0]
                out += self.seg[name]
        return bytes(out + blocks)


def main():
    p = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    p.add_argument('input')
    p.add_argument('output')
    p.add_argument('--import', dest='imports', nargs=4, action='append', default=[],
                   metavar=('IID', 'LIBID', 'VERSION', 'FILE'))
    p.add_argument('--flags', action='append', default=[], metavar='GUID=VALUE')
    p.add_argument('--lcid', type=lambda s: int(s, 0))
    p.add_argument('--order', nargs='+', required=True, metavar='GUID')
    args = p.parse_args()

    lib = TypeLib(open(args.input, 'rb').read())
    for iid, libid, version, filename in args.imports:
        lib.drop_to_import(iid, libid, version, filename)
    lib.dispinterface_bases()
    for item in args.flags:
        guid, value = item.split('=')
        lib.types[lib.type_index(guid)]['rec'][12] = int(value, 0)
    if args.lcid is not None:
        lib.header[3] = args.lcid
    found = [lib.type_index(g) for g in args.order]
    if found != list(range(len(lib.types))):
        fail('types are not in the order asked for (found %r)' % found)
    with open(args.output, 'wb') as f:
        f.write(lib.serialize())


if __name__ == '__main__':
    main()
