// The browser edition's weight and speed, in Debian's Chromium: the page's
// size, when its first worksheet is on screen after the page is opened, and
// what one click costs at drill 1, 10 and 50 (with the ratio in the same
// run; the machine is shared). Not a test: it prints medians.
// Usage: node bench/web/first-sheet.mjs build/web/oxeln.html [runs]
import { launch } from '../../tests/browser/lib/browser.mjs';
import { statSync } from 'node:fs';
import { resolve } from 'node:path';

const page_ = resolve(process.argv[2] || 'build/web/oxeln.html');
const runs = Number(process.argv[3] || 15);
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const ms = (x) => x.toFixed(1) + ' ms';

const browser = await launch();
try {
    const page = await browser.context.newPage();
    await page.setViewportSize({ width: 1366, height: 900 });
    const opened = { ready: [], first: [], afterLoad: [] };
    for (let i = 0; i < runs; ++i) {
        await page.goto('about:blank');
        await page.goto(`file://${page_}#graine=${7 + i}&max=100&lignes=30&interligne=2&exercices=+,S2`);
        await page.waitForSelector('html[data-pret="oui"]');
        const t = await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(() => {
            const nav = performance.getEntriesByType('navigation')[0];
            const mark = (name) => performance.getEntriesByName(name)[0].startTime;
            done({ ready: mark('oxeln-coeur-pret'), first: mark('oxeln-premiere-fiche'), load: nav.loadEventEnd });
        }))));
        opened.ready.push(t.ready);
        opened.first.push(t.first);
        opened.afterLoad.push(t.first - t.load);
    }

    // One click, from the button to the next frame, after n drills.
    const clicks = {};
    for (const n of [1, 10, 50]) {
        clicks[n] = [];
        for (let i = 0; i < runs; ++i) {
            await page.goto('about:blank');
            await page.goto(`file://${page_}#graine=${i}&lignes=30&exercices=${Array(n - 1).fill('x').join(',')}`);
            await page.waitForSelector('html[data-pret="oui"]');
            clicks[n].push(await page.evaluate(() => new Promise((done) => {
                const start = performance.now();
                document.getElementById('btnPlus').click();
                requestAnimationFrame(() => done(performance.now() - start));
            })));
        }
    }
    console.log(`oxeln.html: ${statSync(page_).size} bytes`);
    console.log(`opened with a link of 2 drills (30 lines each), median of ${runs}:`);
    console.log(`  core ready ${ms(median(opened.ready))}, first worksheet ${ms(median(opened.first))} after navigation start,`
        + ` ${ms(median(opened.afterLoad))} after the load event (negative: before it)`);
    for (const n of [1, 10, 50]) {
        console.log(`  click at drill ${n}: ${ms(median(clicks[n]))} (x${(median(clicks[n]) / median(clicks[1])).toFixed(2)} of drill 1)`);
    }
} finally {
    await browser.close();
}
