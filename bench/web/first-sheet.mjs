// The browser edition's weight and speed, in Debian's Chromium: the page's
// size, when its first worksheet is on screen after the page is opened, and
// what one click costs at drill 1, 10, 50 and 200 (with the ratio to drill 1
// in the same run; the machine is shared). Given a second page (an older
// build), both are measured in turns in the same run and compared.
// Not a test: it prints medians.
// Usage: node bench/web/first-sheet.mjs build/web/oxeln.html [runs] [baseline.html]
import { launch } from '../../tests/browser/lib/browser.mjs';
import { statSync } from 'node:fs';
import { resolve } from 'node:path';

const pages = [resolve(process.argv[2] || 'build/web/oxeln.html')];
const runs = Number(process.argv[3] || 15);
if (process.argv[4]) pages.push(resolve(process.argv[4]));
const DRILLS = [1, 10, 50, 200];
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const ms = (x) => x.toFixed(1) + ' ms';

const browser = await launch();
try {
    const page = await browser.context.newPage();
    await page.setViewportSize({ width: 1366, height: 900 });
    const opened = pages.map(() => ({ ready: [], first: [], afterLoad: [] }));
    // Script and layout up to the next frame, and up to that frame drawn.
    const clicks = pages.map(() => Object.fromEntries(DRILLS.map((n) => [n, { script: [], drawn: [] }])));
    for (let i = 0; i < runs; ++i) {
        for (const [p, file] of pages.entries()) {
            await page.goto('about:blank');
            await page.goto(`file://${file}#graine=${7 + i}&max=100&lignes=30&interligne=2&exercices=+,S2`);
            await page.waitForSelector('html[data-pret="oui"]');
            const t = await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(() => {
                const nav = performance.getEntriesByType('navigation')[0];
                const mark = (name) => performance.getEntriesByName(name)[0].startTime;
                done({ ready: mark('oxeln-coeur-pret'), first: mark('oxeln-premiere-fiche'), load: nav.loadEventEnd });
            }))));
            opened[p].ready.push(t.ready);
            opened[p].first.push(t.first);
            opened[p].afterLoad.push(t.first - t.load);
        }
    }

    // One click, from the button to the next frame, after n - 1 drills of
    // 30 lines; the pages in turns, so that both see the same machine.
    for (const n of DRILLS) {
        for (let i = 0; i < runs; ++i) {
            for (const [p, file] of pages.entries()) {
                await page.goto('about:blank');
                await page.goto(`file://${file}#graine=${i}&lignes=30&exercices=${Array(n - 1).fill('x').join(',')}`);
                await page.waitForSelector('html[data-pret="oui"]');
                const t = await page.evaluate(() => new Promise((done) => {
                    const start = performance.now();
                    document.getElementById('btnPlus').click();
                    requestAnimationFrame(() => {
                        const script = performance.now() - start;
                        // A message is handled once the frame is out.
                        const channel = new MessageChannel();
                        channel.port1.onmessage = () => done({ script, drawn: performance.now() - start });
                        channel.port2.postMessage(0);
                    });
                }));
                clicks[p][n].script.push(t.script);
                clicks[p][n].drawn.push(t.drawn);
            }
        }
    }
    for (const [p, file] of pages.entries()) {
        console.log(`${p ? 'baseline ' : ''}${file}: ${statSync(file).size} bytes`);
        console.log(`  opened with a link of 2 drills (30 lines each), median of ${runs}:`);
        console.log(`    core ready ${ms(median(opened[p].ready))}, first worksheet ${ms(median(opened[p].first))} after navigation start,`
            + ` ${ms(median(opened[p].afterLoad))} after the load event (negative: before it)`);
        const first = clicks[p][1];
        for (const n of DRILLS) {
            const c = clicks[p][n];
            let line = `    click at drill ${n}: ${ms(median(c.script))} to the next frame (x${(median(c.script) / median(first.script)).toFixed(2)} of drill 1),`
                + ` ${ms(median(c.drawn))} to the frame drawn (x${(median(c.drawn) / median(first.drawn)).toFixed(2)})`;
            if (p > 0) line += `; ours ÷ baseline: x${(median(clicks[0][n].drawn) / median(c.drawn)).toFixed(3)}`;
            console.log(line);
        }
    }
} finally {
    await browser.close();
}
