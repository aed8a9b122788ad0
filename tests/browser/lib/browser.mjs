// Debian's Chromium, headless, driven by playwright-core: no browser is
// downloaded, and the flags keep Chromium from reaching for the network on
// its own (a closed network refuses it many times at every start).
import { chromium } from 'playwright-core';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

export const chromiumPath = process.env.OXELN_CHROMIUM || '/usr/bin/chromium';

// Starts a browser; close it with the returned close().
export async function launch() {
    const profile = mkdtempSync(join(tmpdir(), 'oxeln-chromium-'));
    const context = await chromium.launchPersistentContext(profile, {
        executablePath: chromiumPath,
        headless: true,
        acceptDownloads: true,
        args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
               '--disable-background-networking', '--disable-component-update', '--disable-sync',
               '--disable-default-apps', '--no-default-browser-check'],
    });
    return {
        context,
        async close() {
            await context.close();
            rmSync(profile, { recursive: true, force: true });
        },
    };
}

// Every request a page makes, so that a test can prove none leaves the
// machine: only the page's own file:// address, data: and blob: are allowed.
export function recordRequests(page) {
    const requests = [];
    page.on('request', (request) => requests.push(request.url()));
    return {
        all: requests,
        foreign(pageUrl) {
            return requests.filter((url) => url !== pageUrl && !url.startsWith('data:') && !url.startsWith('blob:'));
        },
    };
}

// A small assertion helper: tests print what failed and exit non-zero.
export function check(condition, message) {
    if (!condition) {
        console.error('ÉCHEC : ' + message);
        process.exitCode = 1;
    }
    return condition;
}
