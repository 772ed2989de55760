#!/usr/bin/env python3
"""Counts the test results of both builds and prints "N passed, N failed".

usage: count_results.py RESULTS_DIR GTEST_XML_DIR

RESULTS_DIR holds ctest's JUnit files, one per build. Entries labelled as
GoogleTest groups (the Windows build runs its test program in a few groups)
are counted by their cases, from the GoogleTest XML files in GTEST_XML_DIR;
the fixture steps that start and stop Wine are not tests. Exit status 1 when
anything failed or nothing ran."""
import glob
import os
import sys
import xml.etree.ElementTree as ET

FIXTURES = {'wine_env_up', 'wine_env_down'}


def ctest_cases(path):
    root = ET.parse(path).getroot()
    for case in root.iter('testcase'):
        name = case.get('name', '')
        failed = case.find('failure') is not None or case.find('error') is not None
        skipped = case.get('status') in ('notrun', 'disabled') or case.find('skipped') is not None
        yield name, failed, skipped


def gtest_cases(path):
    root = ET.parse(path).getroot()
    for case in root.iter('testcase'):
        if case.get('status') == 'notrun':
            continue
        failed = case.find('failure') is not None
        skipped = case.get('result') == 'skipped' or case.find('skipped') is not None
        yield case.get('classname', '') + '.' + case.get('name', ''), failed, skipped


def main():
    results, gtest_dir = sys.argv[1], sys.argv[2]
    passed = failed = skipped = 0
    failures = []
    groups_seen = set()
    for path in sorted(glob.glob(os.path.join(results, '*-ctest.xml'))):
        for name, bad, skip in ctest_cases(path):
            if name in FIXTURES:
                if bad:
                    failures.append(name)
                    failed += 1
                continue
            if name.startswith('win_'):
                groups_seen.add(name)
                xml = os.path.join(gtest_dir, name[4:] + '.xml')
                if os.path.exists(xml):
                    continue  # counted by its cases below
            if skip:
                skipped += 1
            elif bad:
                failed += 1
                failures.append(name)
            else:
                passed += 1
    for group in sorted(groups_seen):
        xml = os.path.join(gtest_dir, group[4:] + '.xml')
        if not os.path.exists(xml):
            continue
        try:
            cases = list(gtest_cases(xml))
        except ET.ParseError:
            failed += 1
            failures.append(group + ' (unreadable results)')
            continue
        for name, bad, skip in cases:
            if skip:
                skipped += 1
            elif bad:
                failed += 1
                failures.append('windows: ' + name)
            else:
                passed += 1
    for f in failures:
        print('FAILED: ' + f)
    line = '%d passed, %d failed' % (passed, failed)
    if skipped:
        line += ', %d skipped' % skipped
    print(line)
    return 1 if failed or passed == 0 else 0


if __name__ == '__main__':
    sys.exit(main())
