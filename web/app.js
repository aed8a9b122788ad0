// The page: the window's settings, drill buttons and outputs over the core.
// The worksheet is always what the composer makes of the same seed,
// settings and clicks; the address keeps those, so a link rebuilds it. A
// click runs on the sheet as it stands and the views read only what it
// changed; a setting of the whole sheet composes it again.
(function () {
  'use strict';

  const $ = (id) => document.getElementById(id);
  const MM = 96 / 25.4; // CSS pixels in a millimetre
  const STORE = 'oxeln.reglages';
  const DRILLS = ['+', '-', 'x', '^', ':', 'S1', 'S2', '?+', '?-', '?x', '?:', 'P1', 'P2', '<'];
  // The drill options, by the composer's names: [element, address key, default].
  const OPTIONS = {
    ecriture: { el: $('ecriture'), fallback: 'parentheses' },
    signes: { el: $('signes'), fallback: 'hasard' },
    min: { el: $('min'), limit: 999 },
    'exposant-max': { el: $('exposantMax'), limit: 58 },
    'base-max': { el: $('baseMax'), limit: 999 },
    'sans-doublon': { el: $('sansDoublon') },
    'divisions-exactes': { el: $('divisionsExactes') },
    'corrige-compact': { el: $('corrigeCompact') },
  };
  const SPINS = {
    max: { input: $('spmaxvaleur'), min: 10, max: 999, value: 100, step: 100, key: 'max' },
    lignes: { input: $('spMaxLigne'), min: 1, max: 40, value: 30, step: 1, key: 'lignes' },
    interligne: { input: $('spinterligne'), min: 1, max: 5, value: 2, step: 1, key: 'interligne' },
  };
  const TITLES = [$('ETitre1'), $('Etitre2'), $('Etitre3')];

  let core = null;
  let sheet = null;
  let seed = 0;
  // Each click: { name, max, lignes, interligne } as the spin boxes were.
  let steps = [];
  let defaults = [];
  let hasSheet = false;
  let firstShown = false;

  const clamp = (v, lo, hi) => Math.min(hi, Math.max(lo, v));

  // Milliseconds since midnight UTC, as the window seeds its draws.
  function clockSeed() {
    const now = new Date();
    return ((now.getUTCHours() * 60 + now.getUTCMinutes()) * 60 + now.getUTCSeconds()) * 1000 + now.getUTCMilliseconds();
  }

  // ---- Spin boxes: no typing, the arrows and Up/Down by the step ----------

  function spinSet(spin, value) {
    const v = Number.isFinite(value) ? Math.round(value) : spin.min;
    spin.value = clamp(v, spin.min, spin.max);
    spin.input.value = String(spin.value);
    spin.input.setAttribute('aria-valuenow', String(spin.value));
  }

  // Each click keeps the values it was made with: the sheet stays as it is.
  function spinBy(spin, direction) {
    spinSet(spin, spin.value + direction * spin.step);
    saveSettings();
    if (sheet) updateAddress();
  }

  for (const spin of Object.values(SPINS)) {
    spin.input.addEventListener('keydown', (event) => {
      if (event.key === 'ArrowUp' || event.key === 'ArrowDown') {
        event.preventDefault();
        spinBy(spin, event.key === 'ArrowUp' ? 1 : -1);
      } else if (event.key.length === 1 && !event.ctrlKey && !event.metaKey) {
        event.preventDefault(); // the number is never typed
      }
    });
    for (const button of spin.input.parentElement.querySelectorAll('button')) {
      button.addEventListener('click', () => {
        spinBy(spin, Number(button.dataset.sens));
        spin.input.focus();
      });
    }
    spin.input.addEventListener('paste', (event) => event.preventDefault());
    spin.input.addEventListener('cut', (event) => event.preventDefault());
    spin.input.addEventListener('contextmenu', (event) => event.preventDefault());
  }
  // A click on the number switches Max valeur between hundreds and units.
  SPINS.max.input.addEventListener('click', () => {
    SPINS.max.step = SPINS.max.step === 100 ? 1 : 100;
    $('pas').textContent = SPINS.max.step === 100 ? 'pas de 100' : 'pas de 1';
  });

  function spinValues() {
    return { max: SPINS.max.value, lignes: SPINS.lignes.value, interligne: SPINS.interligne.value };
  }

  // ---- Drill options ----------------------------------------------------------

  // Each option's value: a name, a number (0 when unset) or a flag.
  function optionValue(key) {
    const o = OPTIONS[key];
    if (o.fallback) return o.el.value;
    if (o.limit) return Number(o.el.value) || 0;
    return o.el.checked;
  }

  function setOption(key, value) {
    const o = OPTIONS[key];
    if (o.fallback) {
      o.el.value = [...o.el.options].some((x) => x.value === value) ? value : o.fallback;
    } else if (o.limit) {
      const n = /^\d{1,4}$/.test(String(value)) ? Number(value) : 0;
      const high = key === 'min' ? Math.min(o.limit, SPINS.max.value) : o.limit;
      o.el.value = n > 0 ? String(Math.min(n, high)) : '';
    } else {
      o.el.checked = value === true || /^(oui|1|true)$/i.test(String(value));
    }
  }

  const isDefault = (key) => {
    const o = OPTIONS[key];
    return o.fallback ? optionValue(key) === o.fallback : !optionValue(key);
  };

  // The instruction follows the writing while the teacher has not changed it.
  function writingChanged(before) {
    const old = core.defaultTitle(3, before);
    shownWriting = optionValue('ecriture');
    defaults = [1, 2, 3].map((line) => core.defaultTitle(line, optionValue('ecriture')));
    if (accepted[2] === old) TITLES[2].value = accepted[2] = defaults[2];
  }

  let shownWriting = 'parentheses'; // the writing the instruction was set for
  for (const key of Object.keys(OPTIONS)) {
    OPTIONS[key].el.addEventListener('change', () => {
      if (OPTIONS[key].limit) setOption(key, OPTIONS[key].el.value);
      if (key === 'ecriture') writingChanged(shownWriting);
      settingsChanged();
    });
  }

  // ---- Titles: only what Windows-1252 can write ----------------------------

  const accepted = ['', '', ''];
  TITLES.forEach((input, i) => {
    input.addEventListener('input', () => {
      if (core.encodable(input.value)) {
        accepted[i] = input.value;
        $('titreRefuse').hidden = true;
        settingsChanged();
      } else {
        const at = Math.max(0, input.selectionStart - (input.value.length - accepted[i].length));
        input.value = accepted[i];
        input.setSelectionRange(at, at);
        $('titreRefuse').textContent = 'Caractère refusé : la fiche ne peut écrire que les caractères d\'un document Windows-1252 (lettres accentuées comprises).';
        $('titreRefuse').hidden = false;
      }
    });
  });

  // ---- Settings kept in the browser ----------------------------------------

  function saveSettings() {
    try {
      localStorage.setItem(STORE, JSON.stringify({
        ...spinValues(), corrige: $('CBCorrige').checked, titres: accepted.slice(),
        options: Object.fromEntries(Object.keys(OPTIONS).map((k) => [k, optionValue(k)])),
      }));
    } catch (e) { /* storage refused (private window): the settings last for the visit */ }
  }

  function loadSettings() {
    let stored = {};
    try { stored = JSON.parse(localStorage.getItem(STORE) || '{}') || {}; } catch (e) { stored = {}; }
    spinSet(SPINS.max, Number(stored.max ?? SPINS.max.value));
    spinSet(SPINS.lignes, Number(stored.lignes ?? SPINS.lignes.value));
    spinSet(SPINS.interligne, Number(stored.interligne ?? SPINS.interligne.value));
    $('CBCorrige').checked = stored.corrige !== false;
    for (const key of Object.keys(OPTIONS)) {
      if (stored.options && stored.options[key] !== undefined) setOption(key, stored.options[key]);
    }
    defaults = [1, 2, 3].map((line) => core.defaultTitle(line, optionValue('ecriture')));
    shownWriting = optionValue('ecriture');
    TITLES.forEach((input, i) => {
      const t = Array.isArray(stored.titres) && typeof stored.titres[i] === 'string' && core.encodable(stored.titres[i])
        ? stored.titres[i] : defaults[i];
      input.value = accepted[i] = t.slice(0, Number(input.maxLength));
    });
  }

  // ---- The address: seed, settings and clicks -------------------------------

  // Items of "exercices": a drill or RAZ is a click, "lignes=10" a change
  // of a spin box before the next clicks.
  function encodeItem(text) {
    return encodeURIComponent(text).replace(/%2B/g, '+').replace(/%3A/g, ':').replace(/%3D/g, '=').replace(/%5E/g, '^').replace(/%3F/g, '?');
  }

  function addressOf() {
    const first = steps.length ? steps[0] : spinValues();
    const parts = [`graine=${seed}`, `max=${first.max}`, `lignes=${first.lignes}`, `interligne=${first.interligne}`];
    if (!$('CBCorrige').checked) parts.push('corrige=non');
    for (const key of Object.keys(OPTIONS)) {
      if (!isDefault(key)) parts.push(`${key}=${OPTIONS[key].fallback || OPTIONS[key].limit ? optionValue(key) : 'oui'}`);
    }
    accepted.forEach((t, i) => { if (t !== defaults[i]) parts.push(`titre${i + 1}=${encodeURIComponent(t)}`); });
    const items = [];
    let current = first;
    const follow = (wanted) => {
      for (const key of ['max', 'lignes', 'interligne']) {
        if (wanted[key] !== current[key]) items.push(`${key}=${wanted[key]}`);
      }
      current = wanted;
    };
    for (const step of steps) {
      follow(step);
      items.push(encodeItem(step.name));
    }
    follow(spinValues());
    if (items.length) parts.push('exercices=' + items.join(','));
    return '#' + parts.join('&');
  }

  // Once the frame is out, and once for all the clicks of a frame: the
  // browser's history takes milliseconds a call.
  let addressPending = false;
  function updateAddress() {
    if (addressPending) return;
    addressPending = true;
    requestAnimationFrame(() => setTimeout(() => {
      addressPending = false;
      const hash = addressOf();
      if (location.hash !== hash) history.replaceState(null, '', hash);
    }, 0));
  }

  // What the address asks for; false when it holds nothing of a worksheet.
  function readAddress() {
    const hash = location.hash.replace(/^#/, '');
    if (!hash) return false;
    const params = new Map();
    for (const piece of hash.split('&')) {
      const eq = piece.indexOf('=');
      if (eq <= 0) continue;
      try { params.set(piece.slice(0, eq), decodeURIComponent(piece.slice(eq + 1))); } catch (e) { /* a broken escape is skipped */ }
    }
    const number = (text) => (/^[+-]?\d{1,10}$/.test(text ?? '') ? Number(text) : NaN);
    const g = number(params.get('graine'));
    seed = Number.isFinite(g) && g >= 0 && g <= 0xFFFFFFFF ? g : clockSeed();
    for (const key of ['max', 'lignes', 'interligne']) {
      if (params.has(key)) spinSet(SPINS[key], number(params.get(key)));
    }
    if (params.has('corrige')) $('CBCorrige').checked = !/^(non|0|false)$/i.test(params.get('corrige'));
    const writing = optionValue('ecriture');
    for (const key of Object.keys(OPTIONS)) {
      if (params.has(key)) setOption(key, params.get(key));
    }
    if (optionValue('ecriture') !== writing) writingChanged(writing);
    TITLES.forEach((input, i) => {
      const t = params.get(`titre${i + 1}`);
      if (t !== undefined && core.encodable(t)) input.value = accepted[i] = t.slice(0, Number(input.maxLength));
    });
    steps = [];
    for (const raw of (params.get('exercices') || '').split(',')) {
      const item = raw.trim();
      const change = /^(max|lignes|interligne)=(.*)$/.exec(item);
      if (change) {
        spinSet(SPINS[change[1]], number(change[2]));
      } else {
        const name = item.toUpperCase() === 'RAZ' ? 'RAZ' : DRILLS.find((d) => d.toLowerCase() === item.toLowerCase());
        if (name) steps.push({ name, ...spinValues() });
      }
    }
    return true;
  }

  // ---- The worksheet ---------------------------------------------------------

  function compose() {
    sheet.setSeed(seed);
    sheet.setAnswerKey($('CBCorrige').checked);
    accepted.forEach((t, i) => sheet.setTitle(i + 1, t));
    const v = spinValues();
    sheet.setSettings(v.max, v.lignes, v.interligne);
    sheet.setDrillOptions(optionValue('ecriture'), optionValue('min'), optionValue('signes'), optionValue('sans-doublon'),
      optionValue('divisions-exactes'), optionValue('exposant-max'), optionValue('base-max'), optionValue('corrige-compact'));
    sheet.clearSteps();
    for (const s of steps) sheet.addStep(s.name, s.max, s.lignes, s.interligne);
    sheet.compose();
    // The views hold the worksheet after any drill; RAZ empties them.
    hasSheet = steps.length > 0 && steps[steps.length - 1].name !== 'RAZ';
    show();
  }

  // The sheet's natural width: 200 mm, or its widest unwrapped line; added
  // lines (when given) are measured against the width already found, and
  // without them (a new window size) the width found stays.
  const widestOf = new WeakMap();
  function fitSheet(feuille, added) {
    let widest = widestOf.get(feuille);
    if (widest === undefined || added === null) {
      feuille.style.width = '';
      widest = 200 * MM;
      for (const line of feuille.querySelectorAll('p.fixed')) widest = Math.max(widest, overflow(line, 200 * MM));
    } else if (added) {
      const base = widest;
      for (const line of added) {
        if (line.classList.contains('fixed')) widest = Math.max(widest, overflow(line, base));
      }
    }
    widestOf.set(feuille, widest);
    // Only what changed: a style set again, even to its value, has the
    // browser lay out and paint the whole sheet again.
    setStyle(feuille, 'width', widest + 'px');
    const frame = feuille.parentElement;
    const room = frame.clientWidth - 2 * 0.6 * 16 - 1;
    const padded = widest + 12 * MM;
    setStyle(feuille, '--zoom-ecran', String(Math.min(1, room / padded)));
    // On paper, 190 mm between the margins: drawn at 95 %, as the
    // program's own PDF pages, or smaller when a line is wider.
    setStyle(feuille, '--zoom-impression', String(Math.min(0.95, (190 * MM) / widest)));
  }

  // A line's width when it overflows a sheet of width base, a ratio
  // whatever the zoom; base when it does not.
  function overflow(line, base) {
    return line.clientWidth > 0 ? Math.max(base, (base * line.scrollWidth) / line.clientWidth) : base;
  }

  const written = new WeakMap(); // element: { property: value last set }
  function setStyle(element, property, value) {
    if (!written.has(element)) written.set(element, {});
    const values = written.get(element);
    if (values[property] === value && element.style.getPropertyValue(property) !== '') return;
    values[property] = value;
    element.style.setProperty(property, value);
  }

  // A drill appends whole paragraphs to the documents: a view keeps what it
  // shows of the same document and takes only the paragraphs after it.
  // change is the core's { stream, keep, html }, or null for an empty view.
  // What each change adds goes in a block of its own: the browser then lays
  // out a few blocks, not every paragraph of the sheet, at each click.
  // Returns the paragraphs added, or null when the view was read anew.
  const shown = new WeakMap(); // view: { stream, blocks: [element], paragraphs }
  function updateView(view, change) {
    const before = shown.get(view) || { stream: 0, blocks: [], paragraphs: 0 };
    const whole = !change || !change.stream || change.stream !== before.stream || change.keep === 0;
    const state = whole ? { stream: change ? change.stream : 0, blocks: [], paragraphs: 0 } : before;
    shown.set(view, state);
    if (whole) {
      if (view.firstChild) view.textContent = '';
    } else {
      // The paragraph the previous change left open, when there is one.
      for (; state.paragraphs > change.keep; --state.paragraphs) {
        const block = state.blocks[state.blocks.length - 1];
        block.lastElementChild.remove();
        if (!block.firstElementChild) state.blocks.pop().remove();
      }
    }
    if (!change || !change.html) return whole ? null : [];
    const block = document.createElement('div');
    block.className = 'bloc';
    block.innerHTML = change.html;
    const added = Array.from(block.children);
    view.appendChild(block);
    state.blocks.push(block);
    state.paragraphs += added.length;
    return whole ? null : added;
  }

  const viewChange = (view, changeOf) => changeOf.call(sheet, (shown.get(view) || { stream: 0 }).stream);

  function show() {
    const answerOn = $('CBCorrige').checked;
    const subject = $('RxE1');
    const answer = $('RxE2');
    fitSheet(subject, updateView(subject, hasSheet ? viewChange(subject, sheet.subjectChange) : null));
    fitSheet(answer, updateView(answer, hasSheet && answerOn ? viewChange(answer, sheet.answerChange) : null));
    $('videSujet').hidden = hasSheet;
    $('videCorrige').hidden = hasSheet && answerOn;
    $('videCorrige').textContent = answerOn
      ? 'Le corrigé s\'écrit en même temps que le sujet, chaque résultat surligné en jaune.'
      : 'Corrigé désactivé : cochez « Corrigé » pour l\'écrire avec le sujet.';
    $('pnlNb').textContent = steps.length ? String(sheet.counter()) : '00';
    $('reference').textContent = hasSheet ? sheet.reference() : '';
    for (const id of ['btnRAZ', 'imprimerSujet', 'telechargerSujet']) $(id).disabled = !hasSheet;
    const questions = hasSheet && sheet.questionCount() > 0;
    for (const id of ['telechargerEleves', 'telechargerMoodle']) $(id).disabled = !questions;
    const notice = hasSheet ? sheet.notice() : '';
    $('avis').hidden = !notice;
    $('avis').textContent = notice;
    const active = Object.keys(OPTIONS).filter((k) => !isDefault(k)).length;
    $('optionsActives').textContent = active ? `(${active} active${active > 1 ? 's' : ''})` : '';
    for (const id of ['imprimerCorrige', 'telechargerCorrige']) $(id).disabled = !(hasSheet && answerOn);
    $('projeter').disabled = !questions;
    updateAddress();
    if (hasSheet && !firstShown) {
      firstShown = true;
      performance.mark('oxeln-premiere-fiche');
    }
  }

  function click(name) {
    const step = { name, ...spinValues() };
    steps.push(step);
    sheet.click(step.name, step.max, step.lignes, step.interligne);
    hasSheet = name !== 'RAZ';
    show();
  }

  function settingsChanged() {
    saveSettings();
    if (sheet) compose();
  }

  // ---- Outputs -----------------------------------------------------------------

  // The names the window proposes: "Ent_Rel042_917.rtf", "..._Cor.rtf",
  // "Ent_Rel042_917.html", "Ent_Rel042_917.gift".
  function fileName(suffix) {
    return sheet.reference().replace('Ref ', 'Ent_Rel') + suffix;
  }

  const FILES = {
    sujet: { suffix: '.rtf', type: 'application/rtf', make: () => sheet.subjectRtf() },
    corrige: { suffix: '_Cor.rtf', type: 'application/rtf', make: () => sheet.answerRtf() },
    eleves: { suffix: '.html', type: 'text/html;charset=utf-8', make: () => sheet.studentPage() },
    moodle: { suffix: '.gift', type: 'text/plain;charset=utf-8', make: () => sheet.giftQuiz() },
  };

  function download(which) {
    const file = FILES[which];
    const url = URL.createObjectURL(new Blob([file.make()], { type: file.type }));
    const link = document.createElement('a');
    link.href = url;
    link.download = fileName(file.suffix);
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 10000);
  }

  // Prepares the one sheet the print style sheet shows; the browser's own
  // dialog then chooses the printer and the number of copies.
  function preparePrint(answer) {
    document.body.classList.remove('imprime-sujet', 'imprime-corrige');
    document.body.classList.add(answer ? 'imprime-corrige' : 'imprime-sujet');
    document.title = (answer ? 'Corrigé ' : 'Sujet ') + sheet.reference();
  }

  function print(answer) {
    preparePrint(answer);
    window.print();
  }

  window.addEventListener('afterprint', () => {
    document.body.classList.remove('imprime-sujet', 'imprime-corrige');
    document.title = 'Oxeln — fiches de calcul sur les entiers relatifs';
  });

  // ---- Start -------------------------------------------------------------------

  function wire() {
    for (const button of document.querySelectorAll('button[data-exercice]')) {
      button.addEventListener('click', () => click(button.dataset.exercice));
    }
    $('btnRAZ').addEventListener('click', () => click('RAZ'));
    $('CBCorrige').addEventListener('change', settingsChanged);
    $('telechargerSujet').addEventListener('click', () => download('sujet'));
    $('telechargerCorrige').addEventListener('click', () => download('corrige'));
    $('telechargerEleves').addEventListener('click', () => download('eleves'));
    $('telechargerMoodle').addEventListener('click', () => download('moodle'));
    $('imprimerSujet').addEventListener('click', () => print(false));
    $('imprimerCorrige').addEventListener('click', () => print(true));
    $('projeter').addEventListener('click', () => window.OxelnProjection.start(core, sheet));
    window.addEventListener('hashchange', () => {
      if (location.hash !== addressOf() && readAddress()) compose();
    });
    let resizing = 0;
    window.addEventListener('resize', () => {
      cancelAnimationFrame(resizing);
      resizing = requestAnimationFrame(() => { fitSheet($('RxE1')); fitSheet($('RxE2')); });
    });
  }

  OxelnCore().then((module) => {
    core = module;
    performance.mark('oxeln-coeur-pret');
    loadSettings();
    if (!readAddress()) seed = clockSeed();
    sheet = new core.Sheet();
    wire();
    compose();
    // For tests and for anyone scripting the page.
    window.oxeln = { preparePrint, addressOf, fileName };
    document.documentElement.dataset.pret = 'oui';
  });
})();
