'use strict';
// The pupils' page: reads the answers as a teacher would, marks them, and
// keeps the expected answers masked in the page's text until "Corriger".
(function () {
    // FNV-1a over bytes, 32 bits: the program that wrote this page masked
    // each expected answer with a key stream seeded by it.
    function smallHash(bytes) {
        let hash = 0x811c9dc5;
        for (const byte of bytes) {
            hash ^= byte;
            hash = Math.imul(hash, 0x01000193) >>> 0;
        }
        return hash >>> 0;
    }

    function unmask(salt, number, hex) {
        let state = smallHash(new TextEncoder().encode(salt + '#' + number)) || 0x9e3779b9;
        const bytes = new Uint8Array(hex.length / 2);
        for (let i = 0; i < bytes.length; ++i) {
            state ^= state << 13;
            state ^= state >>> 17;
            state ^= state << 5;
            state >>>= 0;
            bytes[i] = parseInt(hex.substr(2 * i, 2), 16) ^ (state & 0xff);
        }
        return new TextDecoder().decode(bytes);
    }

    // "N|-11|(-11)": a number, "Q||(/)": no integer quotient, "R|<|<": a
    // sign; the last field is the answer as the answer key writes it.
    function expectedOf(payload) {
        const first = payload.indexOf('|');
        const second = payload.indexOf('|', first + 1);
        return { kind: payload.slice(0, first), value: payload.slice(first + 1, second), shown: payload.slice(second + 1) };
    }

    // What a pupil typed, read as a teacher reads it: "-11", "−11", "(-11)",
    // "- 11", "+11", "11", "1 519", "/" (in brackets or not).
    function readAnswer(text) {
        let s = String(text).normalize('NFKC')
            .replace(/[\u2010-\u2015\u2212]/g, '-')
            .replace(/\s+/g, ' ')
            .trim();
        if (s === '')
            return { kind: 'empty' };
        for (let m; (m = /^\((.*)\)$/.exec(s));)
            s = m[1].trim();
        if (s === '/')
            return { kind: 'noquotient' };
        // Digits grouped by threes with spaces, as the sheet writes them, or not at all.
        const m = /^([+-]?) ?(\d{1,3}(?: \d{3})+|\d+)$/.exec(s);
        if (!m)
            return { kind: 'unreadable' };
        const size = BigInt(m[2].replace(/ /g, ''));
        return { kind: 'number', value: m[1] === '-' ? -size : size };
    }

    function isRight(expected, given) {
        if (expected.kind === 'R')
            return given === expected.value;
        const answer = readAnswer(given);
        if (expected.kind === 'Q')
            return answer.kind === 'noquotient';
        return answer.kind === 'number' && answer.value === BigInt(expected.value);
    }

    window.oxelnPage = Object.freeze({ smallHash, unmask, readAnswer });

    const form = document.getElementById('fiche');
    const salt = form.dataset.ref;
    const questions = Array.from(form.querySelectorAll('li.q'));
    const fields = questions.map((q) => q.querySelector('.rep'));
    const score = document.getElementById('score');
    const asYouGo = document.getElementById('aufil');

    function clearMark(question) {
        question.classList.remove('juste', 'faux', 'sans');
        question.querySelector('.rep').removeAttribute('aria-invalid');
        question.querySelector('.verdict').replaceChildren();
    }

    function mark(question, index) {
        const field = fields[index];
        const expected = expectedOf(unmask(salt, index + 1, question.dataset.k));
        const right = isRight(expected, field.value);
        const verdict = question.querySelector('.verdict');
        const empty = field.value.trim() === '';
        clearMark(question);
        // Left empty is wrong too, but told apart from a wrong answer.
        question.classList.add(right ? 'juste' : empty ? 'sans' : 'faux');
        const symbol = document.createElement('span');
        symbol.className = 'symbole';
        symbol.setAttribute('aria-hidden', 'true');
        symbol.textContent = right ? '✓' : empty ? '○' : '✗';
        verdict.append(symbol, right ? ' Juste' : empty ? ' Pas de réponse.' : ' Faux.');
        if (!right) {
            field.setAttribute('aria-invalid', 'true');
            const shown = document.createElement('mark');
            shown.textContent = expected.shown;
            verdict.append(' Réponse attendue : ', shown);
        }
        return right;
    }

    function correct() {
        let right = 0;
        questions.forEach((question, index) => { right += mark(question, index) ? 1 : 0; });
        score.textContent = 'Score : ' + right + ' / ' + questions.length;
        score.hidden = false;
    }

    form.addEventListener('submit', (event) => {
        event.preventDefault();
        correct();
    });
    // A select does not submit on Enter by itself.
    form.addEventListener('keydown', (event) => {
        if (event.key === 'Enter' && event.target.tagName === 'SELECT') {
            event.preventDefault();
            correct();
        }
    });
    form.addEventListener('input', (event) => {
        const question = event.target.closest('li.q');
        if (question && !asYouGo.checked)
            clearMark(question);
    });
    form.addEventListener('change', (event) => {
        const question = event.target.closest('li.q');
        if (question && asYouGo.checked && event.target.classList.contains('rep'))
            mark(question, questions.indexOf(question));
    });

    document.getElementById('recommencer').addEventListener('click', () => {
        if (fields.some((f) => f.value !== '') && !window.confirm('Effacer toutes les réponses ?'))
            return;
        fields.forEach((f) => { f.value = ''; });
        questions.forEach(clearMark);
        score.textContent = '';
        score.hidden = true;
        if (fields.length)
            fields[0].focus();
    });

    // The sign pad writes at the caret of the field last used, and keeps the
    // focus there (a tablet's keyboard hides its minus sign).
    let lastField = fields.find((f) => f.tagName === 'INPUT') || null;
    form.addEventListener('focusin', (event) => {
        if (event.target.tagName === 'INPUT' && event.target.classList.contains('rep'))
            lastField = event.target;
    });
    const pad = document.getElementById('signes');
    pad.addEventListener('mousedown', (event) => {
        if (event.target.closest('button'))
            event.preventDefault();
    });
    pad.addEventListener('click', (event) => {
        const button = event.target.closest('button[data-signe]');
        const active = document.activeElement;
        const field = active && active.tagName === 'INPUT' && active.classList.contains('rep') ? active : lastField;
        if (!button || !field)
            return;
        field.focus();
        const start = field.selectionStart ?? field.value.length;
        const end = field.selectionEnd ?? start;
        field.setRangeText(button.dataset.signe, start, end, 'end');
        field.dispatchEvent(new Event('input', { bubbles: true }));
    });
})();
