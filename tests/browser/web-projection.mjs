// "Projeter": the worksheet's questions full screen with the desktop's keys,
// countdown and correction pages, on a fake clock; its settings kept for the
// next time, the worksheet untouched.
// Usage: node web-projection.mjs PAGE.html
import { launch, check } from './lib/browser.mjs';

const [pagePath] = process.argv.slice(2);
const browser = await launch();
try {
    const page = await browser.context.newPage();
    await page.setViewportSize({ width: 1280, height: 720 });
    await page.clock.install();
    await page.goto(`file://${pagePath}#graine=3&max=100&lignes=3&interligne=2&exercices=+`);
    await page.waitForSelector('html[data-pret="oui"]');
    await page.evaluate(() => localStorage.removeItem('oxeln.projection'));
    const reference = await page.textContent('#reference');
    const answerKey = await page.textContent('#RxE2');

    const left = () => page.textContent('#pGauche');
    const right = () => page.textContent('#pDroite');
    const notice = () => page.textContent('#pAvis');
    const key = async (k, times = 1) => { for (let i = 0; i < times; ++i) await page.keyboard.press(k); };

    await page.click('#projeter');
    check(await page.isVisible('#projection'), 'the projection did not open');
    check(await left() === 'Question 1 / 12' && await right() === '20 s', `start: ${await left()} ${await right()}`);
    check(await page.isVisible('#pAide'), 'no key help at the start');
    const question = await page.textContent('.p-question');
    check(/^\(.+\)\u00A0\+\u00A0\(.+\)\u00A0=\u00A0\?$/.test(question) && !question.includes('-'),
          `question text ${JSON.stringify(question)}`);

    // Moving through the questions, with the keys and the mouse.
    await key('Space');
    await key('ArrowRight');
    check(await left() === 'Question 3 / 12', 'Space and Right go forward');
    await key('ArrowLeft');
    check(await left() === 'Question 2 / 12', 'Left goes back');
    await page.mouse.click(600, 400);
    check(await left() === 'Question 3 / 12', 'a click goes forward');
    await page.mouse.click(600, 400, { button: 'right' });
    check(await left() === 'Question 2 / 12', 'a right click goes back');
    await key('Home');
    check(await left() === 'Question 1 / 12', 'Home goes to the first');

    // Pause holds the countdown; the end of the countdown moves on.
    await key('p');
    check(await right() === 'Pause' && await page.isVisible('#pAide'), 'P does not pause');
    await page.clock.runFor(30000);
    check(await left() === 'Question 1 / 12', 'the countdown ran while paused');
    await key('p');
    await key('+');
    check(await notice() === '25 secondes par question' && await right() === '25 s', `+ : ${await notice()}`);
    await key('-', 3);
    check(await notice() === '10 secondes par question', `- : ${await notice()}`);
    await page.clock.runFor(9500);
    check(await left() === 'Question 1 / 12' && await right() === '1 s', `after 9.5 s: ${await right()}`);
    await page.clock.runFor(600);
    check(await left() === 'Question 2 / 12', 'the countdown did not move on');

    // Q: ten at random, twenty (all twelve here), all in order again.
    await key('q');
    check(await notice() === 'Choix : 10 au hasard' && await left() === 'Question 1 / 10', `Q: ${await left()}`);
    await key('q');
    check(await notice() === 'Choix : 20 au hasard' && await left() === 'Question 1 / 12', 'Q twice');
    await key('q');
    check(await notice() === 'Choix : toutes les questions', 'Q three times');
    await key('n');
    const dark = await page.$eval('#projection', (e) => getComputedStyle(e).backgroundColor);
    check(dark === 'rgb(18, 18, 18)', `N gives ${dark}`);

    // The correction after the last question: every answer, highlighted.
    await key('Space', 12);
    check(await left() === 'Correction', `after the last question: ${await left()}`);
    const firstItem = (await page.textContent('.p-item')).replace(/\u2212/g, '-').replace(/^(\d+\.)/, '$1 ');
    const firstCell = /01\/\((.+?)\)\+\((.+?)\)=\((.+?)\)/.exec(answerKey);
    check(firstCell && firstItem === `1. (${firstCell[1]}) + (${firstCell[2]}) = (${firstCell[3]})`,
          `first correction item ${JSON.stringify(firstItem)}, key ${firstCell && firstCell[0]}`);
    let items = 0;
    for (let pageNo = 0; pageNo < 12; ++pageNo) {
        const shown = await page.$$eval('.p-item', (all) => all.map((e) => e.querySelectorAll('.reponse').length));
        check(shown.every((n) => n === 1), 'an item without its highlighted answer');
        items += shown.length;
        if (!(await right())) break;
        const before = await right();
        await key('Space');
        if (await right() === before) break;
    }
    check(items === 12, `${items} answers on the correction pages`);

    // Esc closes; the worksheet is as it was, the settings are kept.
    await key('Escape');
    check(!(await page.isVisible('#projection')), 'Esc did not close');
    check(await page.evaluate(() => document.activeElement.id) === 'projeter', 'the focus was not handed back: ' + await page.evaluate(() => document.activeElement.outerHTML.slice(0, 80)));
    check(await page.textContent('#reference') === reference && await page.textContent('#RxE2') === answerKey,
          'projecting changed the worksheet');
    await page.click('#projeter');
    const again = await page.$eval('#projection', (e) => getComputedStyle(e).backgroundColor);
    check(await right() === '10 s' && again === 'rgb(18, 18, 18)', 'settings not kept for the next projection');
    await key('Escape');

    // A missing term and a comparison ask at their dots, not after " = ?";
    // the order of operations and a chain take two lines at most. On the
    // correction the answer fills the dots, and each page is the core's plan
    // drawn: its items, a regular grid in reading order, each inside its cell.
    await page.setViewportSize({ width: 1280, height: 1024 });
    await page.goto('about:blank');
    await page.goto(`file://${pagePath}#graine=4&max=100&lignes=1&interligne=2`);
    await page.waitForSelector('html[data-pret="oui"]');
    await page.evaluate(() => localStorage.removeItem('oxeln.projection'));
    for (const d of ['?+', '<', 'P2', 'S2']) await page.click(`button[data-exercice="${d}"]`);
    await page.click('#projeter');
    const count = Number(/ \/ (\d+)$/.exec(await left())[1]);
    const asked = [];
    for (let i = 0; i < count; ++i) {
        asked.push(await page.$eval('.p-question', (e) => ({
            text: e.textContent.replace(/\s/g, ''),
            lines: Math.round(e.getBoundingClientRect().height / parseFloat(getComputedStyle(e).lineHeight)),
        })));
        await key('Space');
    }
    const DOTS = '...';
    const blanks = asked.filter((q) => q.text.includes(DOTS));
    const others = asked.filter((q) => !q.text.includes(DOTS));
    check(blanks.some((q) => q.text.includes('=')) && blanks.some((q) => !q.text.includes('='))
          && blanks.every((q) => !q.text.endsWith('=?')) && others.length > 0
          && others.every((q) => q.text.endsWith('=?')), 'questions: ' + JSON.stringify(asked));
    check(others.every((q) => q.lines <= 2), 'lines of P2 and S2: ' + others.map((q) => q.lines));
    check(await left() === 'Correction', `after ${count} questions: ${await left()}`);
    let numbers = [];
    for (let pageNo = 0; pageNo < count; ++pageNo) {
        const { plan, items } = await page.evaluate(() => {
            const round = window.OxelnProjection.round;
            return {
                plan: round.correctionPlan(round.correctionPage()),
                items: Array.from(document.querySelectorAll('.p-item'), (e) => {
                    const spans = Array.from(e.querySelectorAll('span'));
                    const left = e.getBoundingClientRect().left;
                    return {
                        x: parseFloat(e.style.left), y: parseFloat(e.style.top), text: e.textContent.replace(/\s/g, ''),
                        answer: e.querySelector('.reponse').textContent.replace(/\s/g, ''),
                        right: Math.max(...spans.map((s) => s.getBoundingClientRect().right - left)),
                        fits: spans.every((s) => s.scrollWidth <= s.clientWidth + 1),
                    };
                }),
            };
        });
        const label = `correction page ${pageNo + 1} (${JSON.stringify(plan)})`;
        check(items.length === plan.count && plan.columns >= 1 && plan.columns <= 4, `${label}: ${items.length} items`);
        items.forEach((item, k) => {
            const [column, row] = [k % plan.columns, Math.floor(k / plan.columns)];
            check(item.x === items[column].x && item.y === items[row * plan.columns].y
                  && (column === 0 || item.x >= items[column - 1].x + plan.cellWidth)
                  && (row === 0 || item.y >= items[(row - 1) * plan.columns].y + plan.cellHeight),
                  `${label}: item ${k} out of the grid`);
            check(item.fits && item.right <= plan.cellWidth + 1, `${label}: item ${k} wider than measured or than its cell`);
            const number = plan.first + k + 1;
            const question = asked[number - 1].text;
            const expected = question.includes(DOTS) ? question.replace(DOTS, item.answer)
                                                     : question.replace(/\?$/, item.answer);
            check(item.text === `${number}.${expected}`, `${label}: ${item.text} for ${question}`);
            numbers.push(number);
        });
        const before = await right();
        await key('Space');
        if (!before || await right() === before) break;
    }
    check(numbers.join() === Array.from({ length: count }, (_, i) => i + 1).join(), 'items shown: ' + numbers);
    console.log('projection keys, countdown and correction checked');
} finally {
    await browser.close();
}
