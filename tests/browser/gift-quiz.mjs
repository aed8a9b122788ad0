// The Moodle quizzes of 208 worksheets (8 seeds, 26 versions each, every
// drill the composer knows, in each of its ways of writing numbers) read by
// an independent GIFT parser: every
// question parses, is named after its sheet, reads as the subject writes
// it, and its answer and feedback are the answer key's.
import { parse } from 'gift-pegjs';
import { check } from './lib/browser.mjs';
import { compose, keyAnswers, knownDrills, valueOf } from './lib/compose.mjs';
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const composer = process.argv[2];
const started = Date.now();
const drills = knownDrills(composer);
check(drills.length >= 7, 'too few drills: ' + drills.join(' '));
const help = spawnSync(composer, ['--help'], { encoding: 'utf8' }).stdout;
const writings = help.includes('--ecriture') ? ['parentheses', 'negatifs', 'simplifiee'] : [];
const dir = mkdtempSync(join(tmpdir(), 'oxeln-gift-'));
const html = (text) => text.replace(/&lt;/g, '<').replace(/&gt;/g, '>').replace(/&quot;/g, '"').replace(/&amp;/g, '&');
const letters = 'ABCDEFGHIJKLMNOPQRSTUVWXYZ';
let sheets = 0;
let questions = 0;
const kinds = new Set();

try {
    for (let seed = 1; seed <= 8; ++seed) {
        const common = ['--seed', String(seed * 7919), '--versions', '26', '--lines', String(1 + seed % 3),
                        '--max', seed % 2 ? '999' : '100', ...drills];
        if (writings.length)
            common.push('--ecriture', writings[seed % writings.length]);
        const refs = compose(composer, ['--format', 'gift', '--out', join(dir, 'quiz.gift'), ...common]);
        check(JSON.stringify(compose(composer, ['--format', 'markup', '--out', join(dir, 'key'), ...common])) === JSON.stringify(refs),
              'the markup run drew other sheets');
        refs.forEach((ref, version) => {
            const name = `-${letters[version]}`;
            const quiz = parse(readFileSync(join(dir, `quiz${name}.gift`), 'utf8'));
            const key = keyAnswers(join(dir, `key${name}_Cor`));
            const subject = readFileSync(join(dir, `key${name}`), 'latin1');
            ++sheets;
            const where = `seed ${seed} version ${letters[version]}`;
            if (!check(quiz[0].type === 'Category' && quiz[0].title === ref, `${where}: category ${JSON.stringify(quiz[0])}`))
                return;
            const items = quiz.slice(1);
            if (!check(items.length === key.length, `${where}: ${items.length} questions, ${key.length} answers in the key`))
                return;
            let cursor = 0;
            items.forEach((q, i) => {
                ++questions;
                const shown = key[i];
                const value = valueOf(shown);
                const at = `${where} question ${i + 1}`;
                check(q.title === `${ref} - Question ${i + 1}`, `${at}: name ${q.title}`);
                check(q.globalFeedback && html(q.globalFeedback.text) === 'Réponse : ' + shown,
                      `${at}: feedback ${JSON.stringify(q.globalFeedback)} for ${shown}`);
                // The text reads as on the subject, in its order.
                const stem = html(q.stem.text);
                const found = subject.indexOf(stem.endsWith(' =') ? stem + ' ' : stem, cursor);
                check(found >= 0, `${at}: "${stem}" is not the subject's next question`);
                cursor = found >= 0 ? found + stem.length : cursor;
                kinds.add(q.type);
                if (typeof value === 'bigint') {
                    check(q.type === 'Numerical' && BigInt(q.choices.number) === value && q.choices.type === 'simple',
                          `${at}: ${JSON.stringify(q.choices)} for ${shown}`);
                } else if (value === '/') {
                    const accepted = q.choices.map((c) => c.text.text);
                    check(q.type === 'Short' && accepted.includes('/') && accepted.includes('(/)'),
                          `${at}: ${JSON.stringify(q.choices)} for ${shown}`);
                } else {
                    const right = q.choices.filter((c) => c.isCorrect).map((c) => html(c.text.text));
                    check(q.type === 'MC' && q.choices.length === 3 && right.length === 1 && right[0] === value,
                          `${at}: ${JSON.stringify(q.choices)} for ${shown}`);
                }
            });
        });
    }
    check(sheets === 208, `${sheets} sheets`);
    check(kinds.has('Numerical') && kinds.has('Short'), 'no numerical or no short-answer question: ' + [...kinds]);
    console.log(`${sheets} questionnaires, ${questions} questions (${[...kinds].join(', ')}), `
                + `exercices ${drills.join(' ')}, écritures ${writings.join(' ') || 'parentheses'}, en ${((Date.now() - started) / 1000).toFixed(1)} s`);
} finally {
    rmSync(dir, { recursive: true, force: true });
}
