#!/usr/bin/env python3
"""Derives a module's resource tables for the native build from its resource
script: the string tables and the RCDATA records named by file. Dialogs, icons
and the rest of the script are for Windows only and are skipped.

usage: rc_tables.py SCRIPT.rc -o OUT.cpp [-I DIR]... [-d DEPFILE]
"""
import argparse
import datetime
import os
import re
import sys

TOKEN = re.compile(r'''\s*(?:(?P<str>"(?:[^"\\]|\\.|"")*")|(?P<word>[A-Za-z_][A-Za-z0-9_]*)|(?P<num>-?(?:0[xX][0-9a-fA-F]+|\d+)[lLuU]*)|(?P<punct>[{},|()+\-]))''')


class RcError(Exception):
    pass


def unquote(literal):
    body = literal[1:-1]
    out, i = bytearray(), 0
    escapes = {'n': 10, 'r': 13, 't': 9, '\\': 92, '"': 34, '0': 0, 'a': 7}
    while i < len(body):
        c = body[i]
        if c == '\\' and i + 1 < len(body):
            n = body[i + 1]
            if n in 'xX':
                m = re.match(r'[0-9a-fA-F]{1,2}', body[i + 2:])
                if not m:
                    raise RcError('bad \\x escape in ' + literal)
                out.append(int(m.group(0), 16))
                i += 2 + len(m.group(0))
                continue
            if n not in escapes:
                raise RcError('unknown escape \\%s in %s' % (n, literal))
            out.append(escapes[n])
            i += 2
            continue
        if c == '"' and i + 1 < len(body) and body[i + 1] == '"':
            out.append(34)
            i += 2
            continue
        out += c.encode('utf-8')
        i += 1
    return bytes(out)


def strip_comments(text):
    out, i, n = [], 0, len(text)
    while i < n:
        if text[i] == '"':
            j = i + 1
            while j < n and text[j] != '"':
                j += 2 if text[j] == '\\' else 1
            out.append(text[i:j + 1])
            i = j + 1
        elif text.startswith('//', i):
            while i < n and text[i] != '\n':
                i += 1
        elif text.startswith('/*', i):
            j = text.find('*/', i + 2)
            i = n if j < 0 else j + 2
        else:
            out.append(text[i])
            i += 1
    return ''.join(out)


class Script:
    def __init__(self, include_dirs):
        self.include_dirs = include_dirs
        self.defines = {'__DATE__': '"%s"' % datetime.date.today().strftime('%b %d %Y').replace(' 0', '  ')}
        self.strings = {}
        self.data = {}
        self.deps = []

    def find(self, name, here):
        for d in [here] + self.include_dirs:
            p = os.path.join(d, name)
            if os.path.isfile(p):
                return p
        return None

    def number(self, tok):
        tok = self.defines.get(tok, tok)
        try:
            return int(tok.rstrip('lLuU'), 0)
        except ValueError:
            raise RcError('not a number: ' + tok)

    def read(self, path):
        self.deps.append(path)
        here = os.path.dirname(path)
        with open(path, encoding='utf-8') as f:
            text = strip_comments(f.read())
        body = []
        for line in text.split('\n'):
            s = line.strip()
            if s.startswith('#'):
                m = re.match(r'#\s*include\s+"([^"]+)"', s)
                if m:
                    inc = self.find(m.group(1), here)
                    if inc is None:
                        raise RcError('%s: cannot find %s' % (path, m.group(1)))
                    if inc.endswith('.rc'):
                        self.read(inc)
                    else:
                        self.read_defines(inc)
                m = re.match(r'#\s*define\s+(\w+)\s+(.+)', s)
                if m:
                    self.defines[m.group(1)] = m.group(2).strip()
                body.append('')
            else:
                body.append(line)
        self.parse('\n'.join(body), here)

    def read_defines(self, path):
        self.deps.append(path)
        with open(path, encoding='utf-8') as f:
            for line in strip_comments(f.read()).split('\n'):
                m = re.match(r'\s*#\s*define\s+(\w+)\s+(\S+)', line)
                if m:
                    self.defines[m.group(1)] = m.group(2)

    def parse(self, text, here):
        lines = text.split('\n')
        i = 0
        while i < len(lines):
            words = lines[i].split()
            if words and words[0] == 'STRINGTABLE':
                i = self.string_table(lines, i + 1)
                continue
            m = re.match(r'\s*(\w+)\s+RCDATA\s+"([^"]+)"\s*$', lines[i])
            if m:
                ident = self.number(m.group(1))
                p = self.find(m.group(2), here)
                if p is None:
                    raise RcError('cannot find data file ' + m.group(2))
                self.deps.append(p)
                with open(p, 'rb') as f:
                    self.data[ident] = f.read()
            i += 1

    def string_table(self, lines, i):
        while i < len(lines) and lines[i].strip() not in ('BEGIN', '{'):
            i += 1
        i += 1
        while i < len(lines) and lines[i].strip() not in ('END', '}'):
            line = lines[i].strip()
            if line:
                m = re.match(r'(\w+)\s*,?\s*(.*)$', line)
                if not m:
                    raise RcError('bad string table line: ' + line)
                ident = self.number(m.group(1))
                literal = self.defines.get(m.group(2).strip(), m.group(2).strip())
                if not (literal.startswith('"') and literal.endswith('"')):
                    raise RcError('bad string table entry: ' + line)
                if ident in self.strings:
                    raise RcError('string %d defined twice' % ident)
                self.strings[ident] = unquote(literal)
            i += 1
        if i >= len(lines):
            raise RcError('string table without END')
        return i + 1


def c_literal(data):
    out = []
    for b in data:
        ch = chr(b)
        if ch == '\\' or ch == '"':
            out.append('\\' + ch)
        elif 32 <= b < 127 and ch != '?':
            out.append(ch)
        else:
            out.append('\\%03o' % b)
    return '"' + ''.join(out) + '"'


def emit(script, out):
    lines = ['// Generated by rc_tables.py from the resource script; do not edit.',
             '#include "winutil/platform/module_posix.h"', '', 'namespace {']
    if script.strings:
        lines.append('const plat::StringResource kStrings[] = {')
        for k in sorted(script.strings):
            lines.append('    {%d, %s},' % (k, c_literal(script.strings[k])))
        lines.append('};')
    for k in sorted(script.data):
        body = ','.join(str(b) for b in script.data[k]) or '0'
        lines.append('const unsigned char kData%d[] = {%s};' % (k, body))
    if script.data:
        lines.append('const plat::DataResource kData[] = {')
        for k in sorted(script.data):
            lines.append('    {%d, kData%d, %d},' % (k, k, len(script.data[k])))
        lines.append('};')
    lines.append('}  // namespace')
    lines.append('')
    lines.append('extern const plat::ResourceTable kModuleResources;')
    lines.append('const plat::ResourceTable kModuleResources = {%s, %d, %s, %d};' % (
        'kStrings' if script.strings else 'nullptr', len(script.strings),
        'kData' if script.data else 'nullptr', len(script.data)))
    text = '\n'.join(lines) + '\n'
    if not os.path.exists(out) or open(out).read() != text:
        with open(out, 'w') as f:
            f.write(text)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('script')
    ap.add_argument('-o', required=True)
    ap.add_argument('-I', action='append', default=[])
    args = ap.parse_args()
    s = Script(args.I)
    try:
        s.read(args.script)
    except (RcError, OSError) as e:
        sys.exit('rc_tables.py: %s: %s' % (args.script, e))
    emit(s, args.o)


if __name__ == '__main__':
    main()
