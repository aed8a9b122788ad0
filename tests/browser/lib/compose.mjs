// Worksheets made by oxeln-compose for the page and quiz tests, with their
// answer keys read from the markup the composer writes for the same seed.
import { spawnSync } from 'node:child_process';
import { readFileSync } from 'node:fs';

export function compose(binary, args) {
    const run = spawnSync(binary, args, { encoding: 'utf8', env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' } });
    if (run.status !== 0)
        throw new Error(`oxeln-compose ${args.join(' ')} : code ${run.status}\n${run.stderr}`);
    return run.stdout.trim().split('\n');
}

// Every drill the composer knows, from the list its refusal of an unknown
// one gives: the new drills are taken in as soon as it names them.
export function knownDrills(binary) {
    const run = spawnSync(binary, ['--out', '/dev/null', '\u00A7'], { encoding: 'utf8' });
    const listed = /attendus : ([^)]*)\)/.exec(run.stderr);
    if (!listed)
        throw new Error('no drill list in: ' + run.stderr);
    return listed[1].trim().split(/\s+/).filter((name) => name !== 'RAZ');
}

// The highlighted texts of an answer key in the markup (Windows-1252), in
// order, as the key shows them: "(-11)", "(/)", "<" (which the markup
// writes as the tag "<lt>", every "<" opening a tag).
export function keyAnswers(markupFile) {
    const markup = readFileSync(markupFile, 'latin1');
    return Array.from(markup.matchAll(/<cf=jaune>(.*?)<cf=auto>/g), (m) => m[1].replace(/<lt>/gi, '<'));
}

// An answer of the key as a value: a BigInt, '/' or a sign.
export function valueOf(shown) {
    const inner = shown.replace(/^\((.*)\)$/, '$1').replace(/ /g, '');
    return /^[+-]?\d+$/.test(inner) ? BigInt(inner) : inner;
}
