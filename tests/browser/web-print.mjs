// "Imprimer le sujet" and "Imprimer le corrigé" through the print style
// sheet, rendered to PDF as the browser prints: A4 pages holding the text of
// the sheet the composer writes, every question line whole on one line of
// one page, the widest lines included.
// Usage: node web-print.mjs PAGE.html OXELN-COMPOSE PDFTOTEXT
import { launch, check } from './lib/browser.mjs';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const [pagePath, composer, pdftotext] = process.argv.slice(2);
const SCENARIOS = [
    { seed: 11, max: 100, lines: 40, interline: 2, clicks: ['+', 'x', 'S2'], titles: [] },
    // The widest answer lines: large powers, products and quotients.
    { seed: 5, max: 999, lines: 40, interline: 1, clicks: ['^', 'x', ':'], titles: [] },
    { seed: 7, max: 50, lines: 8, interline: 3, clicks: ['S1', '-'], titles: ['Évaluation n°3 — 5e B', 'Mardi'] },
];

const words = (text) => text.split(/\s+/).filter(Boolean);
const collapse = (line) => words(line).join(' ');

// Windows-1252 bytes 0x80 to 0x9F (node's own decoder may read them as
// Latin-1); the others are their own code points.
const HIGH = '\u20AC\u0081\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152\u008D\u017D\u008F'
    + '\u0090\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\u009D\u017E\u0178';
const cp1252 = (bytes) => Array.from(bytes, (b) => (b >= 0x80 && b < 0xA0 ? HIGH[b - 0x80] : String.fromCharCode(b))).join('');

// The sheet's text as the composer's markup holds it, one entry a line.
// Exponents are left out: a PDF's text puts raised digits on a row of
// their own, above their line.
function markupLines(file) {
    return cp1252(readFileSync(file)).split(/<br>/i)
        .map((line) => line.replace(/<sup>[^<]*<\/sup>/gi, '').replace(/<[^>]*>?/g, ''));
}

const dir = mkdtempSync(join(tmpdir(), 'oxeln-print-'));
const browser = await launch();
try {
    const page = await browser.context.newPage();
    for (const [n, s] of SCENARIOS.entries()) {
        const args = ['--format', 'markup', '--seed', String(s.seed), '--max', String(s.max), '--lines', String(s.lines),
            '--interline', String(s.interline), '--out', join(dir, `f${n}.txt`)];
        s.titles.forEach((t, i) => args.push(`--title${i + 1}`, t));
        execFileSync(composer, [...args, ...s.clicks]);
        const titles = s.titles.map((t, i) => `&titre${i + 1}=${encodeURIComponent(t)}`).join('');
        await page.goto('about:blank');
        await page.goto(`file://${pagePath}#graine=${s.seed}&max=${s.max}&lignes=${s.lines}&interligne=${s.interline}`
            + `${titles}&exercices=${s.clicks.join(',')}`);
        await page.waitForSelector('html[data-pret="oui"]');

        for (const answer of [false, true]) {
            const label = `scenario ${n}, ${answer ? 'answer key' : 'subject'}`;
            const expected = markupLines(join(dir, answer ? `f${n}_Cor.txt` : `f${n}.txt`));
            await page.evaluate((a) => window.oxeln.preparePrint(a), answer);
            const pdf = join(dir, `f${n}-${answer}.pdf`);
            await page.pdf({ path: pdf, preferCSSPageSize: true, printBackground: true });
            const raw = execFileSync(pdftotext, ['-layout', pdf, '-']).toString();
            const pages = raw.split('\f').filter((p) => p.trim()).length;
            const text = raw.split('\n').filter((l) => !/^[\d\s]+$/.test(l) || !l.trim()).join('\n'); // rows of exponents
            const pdfLines = new Set(text.split(/[\n\f]/).map(collapse));

            // The same words in the same order: nothing lost, added or moved.
            const got = words(text).join(' ');
            const want = words(expected.join('\n')).join(' ');
            check(got === want, `${label}: PDF text differs from the sheet's\n  got:  ${got.slice(0, 300)}\n  want: ${want.slice(0, 300)}`);
            // Every question line whole on one line of the PDF.
            const cut = expected.filter((l) => /^\d{2,}\//.test(l) && !pdfLines.has(collapse(l)));
            check(cut.length === 0, `${label}: lines broken in the PDF: ${JSON.stringify(cut.slice(0, 3))}`);
            const wanted = Math.ceil(expected.length / 70);
            check(pages >= wanted, `${label}: ${pages} pages for ${expected.length} lines`);
            console.log(`${label}: ${pages} A4 pages, ${expected.length} lines`);
        }
    }
} finally {
    await browser.close();
    rmSync(dir, { recursive: true, force: true });
}
