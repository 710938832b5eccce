#!/usr/bin/env python3
"""Draws the ratios a bench printed as an SVG bar chart: one group of bars per case, one bar per
peer, the length of a bar tanmira's median time over the peer's (below 1: tanmira is faster).

Usage: bench/ratio_chart.py RATIOS OUT.svg [TITLE]
RATIOS holds one ratio a line: case, peer and ratio, separated by tabs.
"""
import html
import sys

BAR = 18  # height of a bar
GAP = 10  # space between two cases
LABEL = 230  # width of the label column
PLOT = 420  # width of the plot area
COLOURS = ["#4e79a7", "#f28e2b", "#59a14f", "#e15759", "#76b7b2", "#edc948"]


def read_ratios(path):
    cases = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if len(fields) != 3:
                continue
            case, peer, ratio = fields
            cases.setdefault(case, []).append((peer, float(ratio)))
    return cases


def chart(cases, title):
    peers = []
    for bars in cases.values():
        for peer, _ in bars:
            if peer not in peers:
                peers.append(peer)
    top = max([2.0] + [r for bars in cases.values() for _, r in bars])
    scale = PLOT / top
    y = 40
    body = []
    for case, bars in cases.items():
        body.append(f'<text x="4" y="{y + 13}" font-weight="bold">{html.escape(case)}</text>')
        y += BAR
        for peer, ratio in bars:
            colour = COLOURS[peers.index(peer) % len(COLOURS)]
            width = max(1.0, ratio * scale)
            body.append(f'<text x="{LABEL - 6}" y="{y + 13}" text-anchor="end">'
                        f'÷ {html.escape(peer)}</text>')
            body.append(f'<rect x="{LABEL}" y="{y + 2}" width="{width:.1f}" height="{BAR - 4}" '
                        f'fill="{colour}"/>')
            body.append(f'<text x="{LABEL + width + 4:.1f}" y="{y + 13}">{ratio:.2f}</text>')
            y += BAR
        y += GAP
    one = LABEL + scale
    height = y + 10
    width = LABEL + PLOT + 60
    head = [
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
        f'font-family="sans-serif" font-size="12">',
        f'<rect width="{width}" height="{height}" fill="white"/>',
        f'<text x="4" y="18" font-size="14">{html.escape(title)}</text>',
        f'<line x1="{one:.1f}" y1="28" x2="{one:.1f}" y2="{height - 6}" stroke="#888" '
        f'stroke-dasharray="4 3"/>',
        f'<text x="{one + 3:.1f}" y="34" fill="#555">1.0 = as fast as the peer</text>',
    ]
    return "\n".join(head + body + ["</svg>", ""])


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    title = sys.argv[3] if len(sys.argv) == 4 else "tanmira's time ÷ the peer's (shorter is faster)"
    cases = read_ratios(sys.argv[1])
    if not cases:
        sys.exit(f"ratio_chart.py: no ratios in {sys.argv[1]}")
    with open(sys.argv[2], "w", encoding="utf-8") as out:
        out.write(chart(cases, title))


if __name__ == "__main__":
    main()
