// The page against the composer: for random seeds, settings, drill options,
// titles and clicks (RAZ among them), the RTF files, pupils' page and Moodle
// quiz the page downloads are the very bytes of oxeln-compose for the same
// inputs, under the names the window proposes; the address the page writes rebuilds the same sheet; nothing is
// fetched. Then the two screenshots of the README.
// Usage: node web-worksheets.mjs PAGE.html OXELN-COMPOSE [SCREENSHOT-DIR]
import { launch, recordRequests, check } from './lib/browser.mjs';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, mkdirSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const [pagePath, composer, shots] = process.argv.slice(2);
const pageUrl = 'file://' + pagePath;
const DRILLS = ['+', '-', 'x', '^', ':', 'S1', 'S2', '?+', '?-', '?x', '?:', 'P1', 'P2', '<'];
const button = (click) => (click === 'RAZ' ? '#btnRAZ' : `button[data-exercice="${click}"]`);
const TITLES = ['Évaluation n°3 — 5e B', 'Mardi 12 mars', 'Calculer ; écrire « / » si le quotient n\'existe pas.', '<b>gras</b> & {accolades}'];

// The scenarios' own draws, fixed so that a failure can be replayed.
let state = 20240611;
const below = (n) => {
    state = (Math.imul(state, 1103515245) + 12345) >>> 0;
    return Math.floor((state / 2 ** 32) * n);
};

function scenario(index) {
    const s = {
        seed: below(2 ** 32), max: 10 + below(990), lines: 1 + below(40), interline: 1 + below(5),
        answerKey: below(6) !== 0, titles: [null, null, null], clicks: [], keysDown: 0,
    };
    if (index % 4 === 1) s.titles[below(3)] = TITLES[below(TITLES.length)];
    // Half of them with drill options, set in the page's controls.
    if (index % 2 === 0) {
        s.options = {
            ecriture: ['parentheses', 'negatifs', 'simplifiee'][below(3)], signes: ['hasard', 'un-negatif', 'negatifs'][below(3)],
            min: below(3) === 0 ? 1 + below(s.max) : 0, 'exposant-max': below(4) === 0 ? 1 + below(58) : 0,
            'base-max': below(4) === 0 ? 1 + below(999) : 0, 'sans-doublon': below(3) === 0,
            'divisions-exactes': below(3) === 0, 'corrige-compact': below(3) === 0,
        };
    }
    if (index % 3 === 2) s.keysDown = 1 + below(Math.min(5, s.lines)); // Max quest lowered by the keyboard
    const count = 1 + below(5);
    // RAZ only where the window allows it: after a drill, views not empty.
    const afterDrill = () => s.clicks.length > 0 && s.clicks[s.clicks.length - 1] !== 'RAZ';
    for (let i = 0; i < count; ++i) {
        s.clicks.push(afterDrill() && i < count - 1 && below(5) === 0 ? 'RAZ' : DRILLS[below(DRILLS.length)]);
    }
    if (index % 10 === 9 && afterDrill()) s.clicks.push('RAZ'); // ends with empty views
    return s;
}

function composed(s, dir) {
    const args = ['--seed', String(s.seed), '--max', String(s.max), '--lines', String(s.lines - s.keysDown),
        '--interline', String(s.interline), '--out', join(dir, 'fiche.rtf')];
    if (!s.answerKey) args.push('--no-answer');
    s.titles.forEach((t, i) => { if (t !== null) args.push(`--title${i + 1}`, t); });
    for (const [key, value] of Object.entries(s.options || {})) {
        if (value === true) args.push('--' + key);
        else if (value) args.push('--' + key, String(value));
    }
    const reference = execFileSync(composer, [...args, ...s.clicks]).toString().trim();
    const run = (format) => {
        execFileSync(composer, [...args, '--format', format, '--out', join(dir, 'fiche.' + format), ...s.clicks]);
        return readFileSync(join(dir, 'fiche.' + format));
    };
    return { reference, subject: readFileSync(join(dir, 'fiche.rtf')), answer: readFileSync(join(dir, 'fiche_Cor.rtf')),
             html: run('html'), gift: run('gift') };
}

async function download(page, id) {
    const [file] = await Promise.all([page.waitForEvent('download'), page.click('#' + id)]);
    return { name: file.suggestedFilename(), bytes: readFileSync(await file.path()) };
}

// The page at an address, with nothing kept from an earlier scenario.
async function open(page, hash) {
    for (const clear of [true, false]) {
        await page.goto('about:blank');
        await page.goto(pageUrl + hash);
        await page.waitForSelector('html[data-pret="oui"]');
        if (clear) await page.evaluate(() => localStorage.clear());
    }
}

// Both files as the composer writes them, under the window's names.
async function compareDownloads(page, s, expected, label) {
    const code = expected.reference.replace('Ref ', '');
    const subject = await download(page, 'telechargerSujet');
    check(subject.name === `Ent_Rel${code}.rtf`, `${label}: subject named ${subject.name}`);
    check(subject.bytes.equals(expected.subject), `${label}: subject RTF differs from the composer's`);
    if (s.answerKey) {
        const answer = await download(page, 'telechargerCorrige');
        check(answer.name === `Ent_Rel${code}_Cor.rtf`, `${label}: answer key named ${answer.name}`);
        check(answer.bytes.equals(expected.answer), `${label}: answer key RTF differs from the composer's`);
    } else {
        check(await page.isDisabled('#telechargerCorrige'), `${label}: answer key offered while switched off`);
    }
    for (const [id, suffix, bytes] of [['telechargerEleves', '.html', expected.html], ['telechargerMoodle', '.gift', expected.gift]]) {
        const file = await download(page, id);
        check(file.name === `Ent_Rel${code}${suffix}`, `${label}: ${suffix} named ${file.name}`);
        check(file.bytes.equals(bytes), `${label}: ${suffix} differs from the composer's`);
    }
}

// The drill options through their controls.
async function setOptions(page, options) {
    await page.click('#options summary');
    const ids = { min: 'min', 'exposant-max': 'exposantMax', 'base-max': 'baseMax', 'sans-doublon': 'sansDoublon',
                  'divisions-exactes': 'divisionsExactes', 'corrige-compact': 'corrigeCompact' };
    for (const [key, value] of Object.entries(options)) {
        if (key === 'ecriture' || key === 'signes') {
            await page.selectOption('#' + key, value);
        } else if (typeof value === 'boolean') {
            if (value) await page.check('#' + ids[key]);
        } else if (value) {
            await page.fill('#' + ids[key], String(value));
            await page.dispatchEvent('#' + ids[key], 'change');
        }
    }
}

const dir = mkdtempSync(join(tmpdir(), 'oxeln-web-'));
const browser = await launch();
try {
    const page = await browser.context.newPage();
    const requests = recordRequests(page);

    // A first visit: the window's defaults, nothing to print yet; the spin
    // boxes take no typing and keep to their limits.
    await open(page, '');
    const value = (id) => page.inputValue('#' + id);
    check(await value('spmaxvaleur') === '100' && await value('spMaxLigne') === '30' && await value('spinterligne') === '2'
          && await page.isChecked('#CBCorrige') && (await value('ETitre1')).startsWith('Nom :'),
          'defaults of a first visit');
    check(await page.textContent('#pnlNb') === '00' && await page.isDisabled('#imprimerSujet')
          && await page.isDisabled('#btnRAZ') && await page.isDisabled('#projeter'), 'outputs offered before any drill');
    await page.press('#spmaxvaleur', '5');
    await page.press('#spmaxvaleur', 'ArrowDown');
    check(await value('spmaxvaleur') === '10', 'Max valeur: typed digit or step of 100 down from 100');
    await page.click('#spmaxvaleur'); // step of 1
    await page.press('#spmaxvaleur', 'ArrowUp');
    check(await value('spmaxvaleur') === '11', 'Max valeur: a click on the number gives a step of 1');
    await page.click('#spmaxvaleur');
    for (let k = 0; k < 11; ++k) await page.press('#spmaxvaleur', 'ArrowUp');
    for (let k = 0; k < 6; ++k) await page.press('#spinterligne', 'ArrowUp');
    check(await value('spmaxvaleur') === '999' && await value('spinterligne') === '5', 'upper limits');
    await page.fill('#Etitre2', 'Classe de 5e ✓');
    check(await value('Etitre2') !== 'Classe de 5e ✓' && await page.isVisible('#titreRefuse'),
          'a title took a character Windows-1252 cannot write');

    let compared = 0;
    for (let i = 0; i < 50; ++i) {
        const s = scenario(i);
        const label = `scenario ${i} (${JSON.stringify(s)})`;
        const expected = composed(s, dir);
        await open(page, `#graine=${s.seed}&max=${s.max}&lignes=${s.lines}&interligne=${s.interline}`
            + `&corrige=${s.answerKey ? 'oui' : 'non'}`);
        for (let k = 0; k < 3; ++k) {
            if (s.titles[k] !== null) await page.fill(['#ETitre1', '#Etitre2', '#Etitre3'][k], s.titles[k]);
        }
        if (s.options) await setOptions(page, s.options);
        for (let k = 0; k < s.keysDown; ++k) await page.press('#spMaxLigne', 'ArrowDown');
        for (const c of s.clicks) await page.click(button(c));

        if (s.clicks[s.clicks.length - 1] === 'RAZ') {
            check(await page.isDisabled('#telechargerSujet') && await page.isDisabled('#btnRAZ'),
                  `${label}: outputs still offered after RAZ`);
            check(await page.textContent('#pnlNb') === '0', `${label}: counter after RAZ`);
            continue;
        }
        check(await page.textContent('#reference') === expected.reference, `${label}: reference shown`);
        await compareDownloads(page, s, expected, label);
        ++compared;
        // The address the page wrote gives the same sheet in a fresh page,
        // whose views, read whole, show what the clicks grew paragraph by
        // paragraph.
        if (i % 5 === 0) {
            const address = new URL(page.url()).hash;
            const views = () => page.evaluate(() => ['RxE1', 'RxE2'].map((id) =>
                Array.from(document.getElementById(id).querySelectorAll('p'), (p) => p.outerHTML).join('')));
            const grown = await views();
            await open(page, address);
            await compareDownloads(page, s, expected, label + ' from its address ' + address);
            check(JSON.stringify(await views()) === JSON.stringify(grown), `${label}: the views grown click by click differ`);
        }
    }
    check(compared === 45, `only ${compared} scenarios compared`);
    const foreign = requests.all.filter((url) => url.split('#')[0] !== pageUrl && !url.startsWith('data:')
        && !url.startsWith('blob:') && url !== 'about:blank');
    check(foreign.length === 0, 'requests made: ' + JSON.stringify(foreign.slice(0, 5)));
    console.log(`${compared} scenarios compared with oxeln-compose, ${requests.all.length} requests, none foreign`);

    if (shots) {
        mkdirSync(shots, { recursive: true });
        for (const [width, height, name] of [[1366, 900, 'web-bureau.png'], [768, 1024, 'web-768.png']]) {
            await page.setViewportSize({ width, height });
            await open(page, '#graine=2024&max=100&lignes=6&interligne=1&exercices=+,x,^,S2');
            await page.screenshot({ path: join(shots, name) });
        }
    }
} finally {
    await browser.close();
    rmSync(dir, { recursive: true, force: true });
}
