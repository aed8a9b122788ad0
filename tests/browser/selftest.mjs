// The browser set-up the page tests rely on: Debian's Chromium starts
// headless, opens a page from file://, runs its script, and the request
// record sees a fetch that the page tries.
import { launch, recordRequests, check } from './lib/browser.mjs';
import { mkdtempSync, writeFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const dir = mkdtempSync(join(tmpdir(), 'oxeln-selftest-'));
const file = join(dir, 'page.html');
writeFileSync(file, '<!doctype html><meta charset="utf-8"><title>Essai</title><p id="p">…</p>'
    + '<script>document.getElementById("p").textContent = "prêt"; fetch("http://192.0.2.1/x").catch(() => {});</script>');
const browser = await launch();
try {
    const page = await browser.context.newPage();
    const requests = recordRequests(page);
    const url = 'file://' + file;
    await page.goto(url);
    check((await page.textContent('#p')) === 'prêt', 'the page script did not run');
    await page.waitForTimeout(200);
    const foreign = requests.foreign(url);
    check(foreign.length === 1 && foreign[0].startsWith('http://192.0.2.1/'),
          'the request record missed the page\'s fetch: ' + JSON.stringify(requests.all));
} finally {
    await browser.close();
    rmSync(dir, { recursive: true, force: true });
}
