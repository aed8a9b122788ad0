// The pupils' page as a pupil uses it, opened from file:// in Chromium:
// half the answers right (from the answer key, in every form a teacher
// accepts, some through the sign pad), the rest wrong or left empty; then
// "Corriger", its marks and "Score : N / M". On a desktop, on a 768-px
// tablet, and with the keyboard alone. No request may leave the page.
import { launch, recordRequests, check } from './lib/browser.mjs';
import { compose, keyAnswers, knownDrills, valueOf } from './lib/compose.mjs';
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const [composer, screenshot] = process.argv.slice(2);
const started = Date.now();
const dir = mkdtempSync(join(tmpdir(), 'oxeln-page-'));
const drills = knownDrills(composer);
// A page and its answer key from the same draw.
function makeSheet(name, extra) {
    const args = ['--seed', '4242', '--lines', '2', '--max', '999', ...extra, ...drills];
    const [ref] = compose(composer, ['--format', 'html', '--out', join(dir, name + '.html'), ...args]);
    compose(composer, ['--format', 'markup', '--out', join(dir, name), ...args]);
    return { ref, url: 'file://' + join(dir, name + '.html'), key: keyAnswers(join(dir, name + '_Cor')) };
}
let { ref, url, key } = makeSheet('fiche', []);
const writes = spawnSync(composer, ['--help'], { encoding: 'utf8' }).stdout.includes('--ecriture');
const padName = { '−': 'moins', '+': 'plus', '(': 'parenthèse ouvrante', ')': 'parenthèse fermante', '/': 'barre oblique' };

// Right answers in turn in each form a teacher accepts; the odd ones typed
// through the sign pad.
function rightAnswer(shown, i) {
    const value = valueOf(shown);
    if (typeof value !== 'bigint')
        return value === '/' ? ['/', '(/)', '( / )'][i % 3] : value;
    const size = (value < 0n ? -value : value).toString();
    const grouped = size.replace(/\B(?=(\d{3})+$)/g, ' ');
    const sign = value < 0n ? '-' : '+';
    const forms = [value.toString(), (value < 0n ? '−' : '+') + size, `(${sign}${size})`, `${sign} ${size}`,
                   value < 0n ? `(−${grouped})` : grouped, shown];
    return forms[(i >> 1) % forms.length];
}

function wrongAnswer(shown, i) {
    const value = valueOf(shown);
    if (typeof value === 'bigint')
        return i % 6 === 1 ? '' : i % 6 === 3 ? '/' : (value + 1n).toString();
    return value === '/' ? '0' : value === '<' ? '>' : '<';
}

async function answer(page, n, text, throughPad) {
    const field = page.getByLabel(`Question ${n}`, { exact: true });
    if ((await field.evaluate((e) => e.tagName)) === 'SELECT')
        return field.selectOption(text);
    if (!throughPad)
        return field.fill(text);
    await field.click();
    for (const c of text) {
        if (padName[c.replace('-', '−')])
            await page.getByRole('button', { name: padName[c.replace('-', '−')], exact: true }).click();
        else
            await page.keyboard.type(c);
    }
    check(await field.evaluate((e) => e === document.activeElement), `question ${n}: the pad took the focus`);
}

// Marks and score after "Corriger", against what was typed.
async function checkMarks(page, rights, where) {
    const right = rights.filter(Boolean).length;
    check((await page.getByRole('status').textContent()) === `Score : ${right} / ${key.length}`,
          `${where}: score ${await page.getByRole('status').textContent()}, ${right} / ${key.length} expected`);
    const cards = page.locator('li.q');
    for (let i = 0; i < key.length; ++i) {
        const card = cards.nth(i);
        const verdict = await card.locator('.verdict').textContent();
        if (rights[i]) {
            check(verdict === '✓ Juste' && (await card.getAttribute('class')).includes('juste'),
                  `${where}: question ${i + 1} not marked right: ${verdict}`);
        } else {
            check(/^[✗○] (Faux|Pas de réponse)\. Réponse attendue : /.test(verdict)
                  && (await card.locator('mark').textContent()) === key[i],
                  `${where}: question ${i + 1} (${key[i]}) marked ${verdict}`);
        }
    }
}

async function pupilAnswers(page, where) {
    const rights = key.map((_, i) => i % 2 === 0);
    for (let i = 0; i < key.length; ++i)
        await answer(page, i + 1, rights[i] ? rightAnswer(key[i], i) : wrongAnswer(key[i], i), i % 4 === 2);
    await page.getByRole('button', { name: 'Corriger' }).click();
    await checkMarks(page, rights, where);
}

const browser = await launch();
try {
    check(key.length > 20, `only ${key.length} answers in the key`);
    const source = readFileSync(url.slice('file://'.length), 'utf8').replace(/<script>[^]*<\/script>/, '');
    const page = await browser.context.newPage();
    const requests = recordRequests(page);
    await page.setViewportSize({ width: 1280, height: 900 });
    await page.goto(url);

    // The answers are not in the page's text: an answer shows in the source
    // (but for its script, the same on every page) no more often than on the
    // screen before correction.
    const visible = await page.locator('body').innerText();
    const count = (text, piece) => text.split(piece).length - 1;
    for (const shown of new Set(key.filter((k) => k.length > 1)))
        check(count(source, shown) <= count(visible, shown), `the answer ${shown} is in the page's source`);
    check((await page.title()).startsWith(ref), 'title ' + (await page.title()));

    // The answers as a teacher reads them, where the page reads them.
    const read = await page.evaluate(() => {
        const cases = ['11', '+11', '(+11)', '( +11 )', '+ 11', '-11', '−11', '(-11)', '- 11', '(−11)', '–11',
                       '1 519', '1519', '1\u00a0519', '1\u202f519', '(-1 519)', '/', '(/)', '', '  ',
                       '1 5 19', '11-', '--11', '1,5', 'onze', '(-11', '+-11', '-(11)'];
        return cases.map((c) => { const a = window.oxelnPage.readAnswer(c); return `${a.kind}:${a.value ?? ''}`; });
    });
    const readExpected = ['number:11', 'number:11', 'number:11', 'number:11', 'number:11', 'number:-11',
        'number:-11', 'number:-11', 'number:-11', 'number:-11', 'number:-11', 'number:1519', 'number:1519',
        'number:1519', 'number:1519', 'number:-1519', 'noquotient:', 'noquotient:', 'empty:', 'empty:',
        ...Array(8).fill('unreadable:')];
    check(JSON.stringify(read) === JSON.stringify(readExpected), 'answers read as ' + JSON.stringify(read));
    // The page's hash is the program's (FNV-1a vectors, also checked in C++).
    const hashes = await page.evaluate(() => ['', 'a', 'foobar', 'Réf'].map((t) =>
        window.oxelnPage.smallHash(new TextEncoder().encode(t)).toString(16)));
    check(JSON.stringify(hashes) === JSON.stringify(['811c9dc5', 'e40c292c', 'bf9cf968', '24045935']),
          'hashes ' + JSON.stringify(hashes));

    // Exponents are raised, as on the subject.
    const raised = await page.locator('.enonce sup').first().evaluate((sup) => {
        const middle = (e) => { const r = e.getBoundingClientRect(); return (r.top + r.bottom) / 2; };
        return middle(sup) < middle(sup.previousElementSibling) - 5;
    });
    check(raised, 'an exponent is not raised');

    // The pad writes at the caret and leaves the focus in the field.
    const first = page.locator('input.rep').first();
    await first.fill('25');
    await first.press('Home');
    await page.getByRole('button', { name: 'moins', exact: true }).click();
    check((await first.inputValue()) === '−25', 'the pad wrote ' + (await first.inputValue()));
    await first.fill('');

    await pupilAnswers(page, 'desktop');
    if (screenshot) {
        await page.evaluate(() => window.scrollTo(0, 0));
        await page.screenshot({ path: screenshot });
    }
    page.once('dialog', (dialog) => dialog.accept());
    await page.getByRole('button', { name: 'Recommencer' }).click();
    check((await page.locator('.rep').evaluateAll((fs) => fs.filter((f) => f.value !== '').length)) === 0
          && (await page.locator('li.juste, li.faux, li.sans').count()) === 0, 'Recommencer left answers or marks');
    check(!(await page.getByRole('status').isVisible()), 'the score stayed after Recommencer');
    check(requests.foreign(url).length === 0, 'requests: ' + JSON.stringify(requests.foreign(url)));

    // Missing terms: the field at the dots; comparisons: a choice of signs.
    if (drills.includes('?+'))
        check(await page.locator('.enonce').evaluateAll((es) => es.some((e) => e.querySelector('.rep').nextElementSibling)),
              'no field stands at the dots');
    if (drills.includes('<'))
        check(JSON.stringify(await page.locator('select.rep').first().evaluate((s) => [...s.options].map((o) => o.value)))
              === JSON.stringify(['', '<', '>', '=']), 'no choice of "<", ">", "="');

    // A 768-px tablet, on a sheet written without brackets when the composer
    // can: nothing wider than the screen, the pad in reach.
    if (writes)
        ({ ref, url, key } = makeSheet('tablette', ['--ecriture', 'simplifiee']));
    const tablet = await browser.context.newPage();
    const tabletRequests = recordRequests(tablet);
    await tablet.setViewportSize({ width: 768, height: 1024 });
    await tablet.goto(url);
    check((await tablet.evaluate(() => document.documentElement.scrollWidth)) <= 768, 'wider than 768 px');
    await tablet.getByLabel(`Question ${key.length}`, { exact: true }).scrollIntoViewIfNeeded();
    const pad = await tablet.getByRole('button', { name: 'moins', exact: true }).boundingBox();
    check(pad && pad.y >= 0 && pad.y + pad.height <= 1024 && pad.height >= 44, 'pad out of reach: ' + JSON.stringify(pad));
    await pupilAnswers(tablet, 'tablet');
    check(tabletRequests.foreign(url).length === 0, 'requests: ' + JSON.stringify(tabletRequests.foreign(url)));

    // The keyboard alone: Tab from the top reaches the check-as-you-go box,
    // then every field in order; Enter corrects.
    const keys = await browser.context.newPage();
    await keys.goto(url);
    await keys.keyboard.press('Tab');
    check((await keys.evaluate(() => document.activeElement.id)) === 'aufil', 'Tab did not start at the check box');
    await keys.keyboard.press('Space');
    const rights = [];
    for (let i = 0; i < key.length; ++i) {
        await keys.keyboard.press('Tab');
        const focused = await keys.evaluate(() => [document.activeElement.id, document.activeElement.tagName]);
        check(focused[0] === `q${i + 1}`, `Tab reached ${focused[0]} instead of q${i + 1}`);
        const right = i % 3 !== 1;
        rights.push(right);
        // A select takes the sign by its first letter, as a keyboard user picks it.
        await keys.keyboard.type(right ? rightAnswer(key[i], i) : wrongAnswer(key[i], i));
    }
    // Checked as the pupil went: the last but one is marked once left.
    check((await keys.locator('li.q').nth(key.length - 2).getAttribute('class')).match(/juste|faux|sans/),
          'the check as you go marked nothing');
    await keys.keyboard.press('Enter');
    await checkMarks(keys, rights, 'keyboard');
    for (const name of ['Corriger', 'Recommencer']) {
        await keys.keyboard.press('Tab');
        check((await keys.evaluate(() => document.activeElement.textContent)) === name, `Tab did not reach ${name}`);
    }
    keys.once('dialog', (dialog) => dialog.accept());
    await keys.keyboard.press('Enter');
    check((await keys.evaluate(() => document.activeElement.id)) === 'q1', 'Recommencer did not go back to question 1');
    console.log(`Page de ${key.length} questions (exercices ${drills.join(' ')}) : bureau, tablette et clavier en `
                + `${((Date.now() - started) / 1000).toFixed(1)} s`);
} finally {
    await browser.close();
    rmSync(dir, { recursive: true, force: true });
}
