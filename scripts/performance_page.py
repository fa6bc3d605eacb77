#!/usr/bin/env python3
"""Writes docs/PERFORMANCE.md and the plots in docs/performance/ from the benchmark's output.

Usage: performance_page.py <bench output> <docs folder>   (run by scripts/performance.sh)"""
import os
import re
import sys

import matplotlib

matplotlib.use('Agg')
import matplotlib.pyplot as plt  # noqa: E402

FIGURE = re.compile(r'^(\S*)\s+(.*?)\s+median\s+([\d.]+) (ms|us)\s+min\s+([\d.]+)\s+max\s+([\d.]+)'
                    r'(?:\s+target <= ([\d.]+) (?:ms|us)\s+(met|MISSED))?')
CURVE = re.compile(r'^curve (\S+) (\S+) (\S+) (\S+)$')


def read(path):
    with open(path, encoding='utf-8', errors='replace') as handle:
        return [line.rstrip('\n') for line in handle]


IDENT_LINE = re.compile(r'^([A-Z]\d\w*)\s{2,}(.*)$')
VERDICT = re.compile(r'target(?: <=|:) (.*?)\s+(met|MISSED)\s*$')
GROWTH = re.compile(r'^\s+(.+?)\s+(-?\d+) ->\s+(-?\d+)\s+growth (-?\d+)$')
NOTE_TARGET = re.compile(r'\(target <= ([\d.]+)(?: MB)?\)')
AMOUNT = re.compile(r': ([\d.]+ [KM]B) ')
BUILD_LINE = re.compile(r'^\[\s*\d+%\]')
NUMBER = re.compile(r'\d+(?:\.\d+)?')


def note_rows(ident, line):
    """A note's figures that have a target: the number just before each "(target <= x)"."""
    rows = []
    for match in NOTE_TARGET.finditer(line):
        before = line[:match.start()]
        numbers = NUMBER.findall(before)
        if not numbers:
            continue
        value, target = float(numbers[-1]), float(match.group(1))
        start = max(before.rfind(';'), before.rfind(','), before.rfind(':')) + 1
        what = before[start:].strip()
        rows.append((ident, what, numbers[-1], '', '', f'≤ {match.group(1)}',
                     'met' if value <= target else 'MISSED'))
    return rows


def figures(lines):
    rows = []
    ident = ''
    for line in lines:
        match = FIGURE.match(line)
        if match:
            found, what, median, unit, low, high, target, verdict = match.groups()
            ident = found or ident
            rows.append((found or '', what, f'{median} {unit}', f'{low} {unit}', f'{high} {unit}',
                         f'≤ {target} {unit}' if target else '', verdict or ''))
            continue
        match = IDENT_LINE.match(line)
        if match:
            ident, text = match.groups()
            verdict = VERDICT.search(text)
            what = text[:verdict.start()].strip() if verdict else text
            amount = AMOUNT.search(what)
            rows.append((ident, what, amount.group(1) if amount else '', '', '',
                         f'≤ {verdict.group(1)}' if verdict else '',
                         verdict.group(2) if verdict else ''))
            continue
        match = GROWTH.match(line)
        if match:
            what, before, after, growth = match.groups()
            # The process's private bytes move with the heap's own reserve (Wine's, the
            # platform's): they are shown, and judged by the heap rows beside them.
            judged = what != 'private bytes'
            rows.append((ident, f'growth of {what} ({before} → {after})', growth, '', '',
                         '0' if judged else '', ('met' if growth == '0' else 'MISSED')
                         if judged else ''))
            continue
        verdict = VERDICT.search(line)
        if verdict and line.startswith(' '):
            rows.append((ident, line[:verdict.start()].strip().rstrip(':') or 'all of the above',
                         '', '', '', verdict.group(1), verdict.group(2)))
            continue
        if line.startswith(' '):
            rows += note_rows(ident, line)
    return rows


def curves(lines):
    found = {}
    for line in lines:
        match = CURVE.match(line)
        if match:
            name, x, median, low = match.groups()
            found.setdefault(name, []).append((float(x), float(median), float(low)))
    return found


def plot(axes, points, label):
    xs = [p[0] for p in points]
    axes.plot(xs, [p[1] for p in points], 'o-', label=f'{label}, median')
    axes.plot(xs, [p[2] for p in points], 'x--', label=f'{label}, fastest', alpha=0.6)
    axes.grid(True, alpha=0.3)
    axes.legend(fontsize=8)


def from_zero(axes):
    """Both axes from 0, once every series is drawn (a limit set earlier stops the scaling)."""
    axes.set_xlim(left=0)
    axes.set_ylim(bottom=0)


def draw(found, folder):
    made = []
    def save(figure, name):
        figure.tight_layout()
        figure.savefig(os.path.join(folder, name), dpi=90)
        plt.close(figure)
        made.append(name)
    if 'horizon-empty' in found or 'horizon-heavy' in found:
        figure, panes = plt.subplots(1, 2, figsize=(10, 4))
        for pane, name, title in ((panes[0], 'horizon-empty', 'empty calendar'),
                                  (panes[1], 'horizon-heavy', 'heavy calendar')):
            if name in found:
                plot(pane, found[name], 'BuildAgenda')
                from_zero(pane)
            pane.set_title(f'build time against the horizon, {title}')
            pane.set_xlabel('horizon (days listed)')
            pane.set_ylabel('build time (ms)')
        save(figure, 'build-horizon.png')
    if 'size-build' in found:
        figure, pane = plt.subplots(figsize=(6, 4))
        plot(pane, found['size-build'], 'BuildAgenda, 31 days')
        from_zero(pane)
        pane.set_title('build time against the calendar\'s size (31 days listed)')
        pane.set_xlabel('appointments in the calendar (singles and series; the list grows too)')
        pane.set_ylabel('build time (ms)')
        save(figure, 'build-size.png')
    if 'size-load' in found or 'load-report' in found:
        figure, pane = plt.subplots(figsize=(6, 4))
        if 'size-load' in found:
            plot(pane, found['size-load'], 'a build that reads the file')
        if 'load-report' in found:
            # L1 to L3: the load alone, as the store's report asks for it.
            plot(pane, sorted(found['load-report']), 'the store\'s load (L1, L2)')
        from_zero(pane)
        pane.set_title('load time against the file\'s size')
        pane.set_xlabel('file size (KB)')
        pane.set_ylabel('load time (ms)')
        save(figure, 'load-size.png')
    return made


def page(lines, rows, made):
    out = ['# Performance', '',
           'Every figure of the benchmark (`bench.exe`, under Wine, against the real store through COM)',
           'with its target, and plots of how the costs grow. Regenerated, page and plots, by one command:',
           '', '    bash scripts/performance.sh', '',
           'The README says what each figure measures and on which calendars. Medians, minimums and',
           'maximums are of repeated runs; with other work on the machine the medians rise, the',
           'minimums move less.', '']
    header = [line for line in lines if line.startswith(('Daybrook benchmark', 'run on '))]
    out += [line + '  ' for line in header] + ['']
    out += ['## Figures', '', '| figure | what | median | min | max | target | |',
            '|---|---|---|---|---|---|---|']
    for row in rows:
        out.append('| ' + ' | '.join(cell.replace('|', '/') for cell in row) + ' |')
    out += ['', 'Rows without a target are floors, scaling points and parts of a figure; the notes in',
            'the whole output below compare them and say where the time goes.', '']
    if made:
        out += ['## Plots', '']
        for name in made:
            out += [f'![{name}](performance/{name})', '']
    out += ['## The whole output', '',
            'With the notes that compare each figure to its floor and say where the time goes.', '',
            '```']
    out += [line for line in lines if not line.startswith('curve ') and not BUILD_LINE.match(line)]
    out += ['```', '']
    return '\n'.join(out)


def main():
    source, docs = sys.argv[1], sys.argv[2]
    lines = read(source)
    folder = os.path.join(docs, 'performance')
    os.makedirs(folder, exist_ok=True)
    made = draw(curves(lines), folder)
    with open(os.path.join(docs, 'PERFORMANCE.md'), 'w', encoding='utf-8') as handle:
        handle.write(page(lines, figures(lines), made))


if __name__ == '__main__':
    main()
