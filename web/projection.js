// The worksheet's questions on the classroom screen, full screen, one at a
// time with a countdown, then the correction: the looks and keys of the
// program's projection window, over the core's course of a round.
//
// Keys: Space or Right next, Left previous, P pause, + and - seconds per
// question, Home first, Q choice of questions, N colours, Esc closes. A click
// goes forward (a right click back); so does the end of the countdown.
(function () {
  'use strict';

  const $ = (id) => document.getElementById(id);
  const STORE = 'oxeln.projection';
  const TICK_MS = 50;
  const NOTICE_MS = 1500;
  const HINT_MS = 4000;
  const POINTER_MS = 3000;
  const STEP = 5;
  const HINT = 'Espace ou \u2192 : suivante    \u2190 : précédente    P : pause    + ou \u2212 : durée    '
    + 'Q : choix des questions    N : couleurs    Échap : fermer';
  const CHOICES = { 0: 'toutes les questions', 10: '10 au hasard', 20: '20 au hasard' };
  const LIGHT = { background: '#ffffff', text: '#000000', dim: '#606060', track: '#e4e4e4', bar: '#1f5fb0', barLate: '#d95f0e', notice: '#ececec' };
  const DARK = { background: '#121212', text: '#f2f2f2', dim: '#a0a0a0', track: '#333333', bar: '#5a9be6', barLate: '#f08a24', notice: '#3a3a3a' };

  const screen = $('projection');
  let core = null;
  let round = null;
  let settings = null;
  let timer = 0;
  let notice = '';
  let noticeUntil = 0;
  let hintUntil = 0;
  let pointerUntil = 0;
  let planned = null; // the correction planned for one area: { key, type }
  let drawnPage = null; // the correction page on screen: { key }
  let laidOut = null; // the question laid out: { key, px }
  let returnFocus = null;

  const now = () => performance.now();

  function readSettings() {
    let s = {};
    try { s = JSON.parse(localStorage.getItem(STORE) || '{}') || {}; } catch (e) { s = {}; }
    const seconds = Number.isInteger(s.secondes) ? Math.min(120, Math.max(5, s.secondes)) : 20;
    return { seconds, dark: s.sombre === true, choice: [0, 10, 20].includes(s.choix) ? s.choix : 0 };
  }

  function saveSettings() {
    try {
      localStorage.setItem(STORE, JSON.stringify({ secondes: settings.seconds, sombre: settings.dark, choix: settings.choice }));
    } catch (e) { /* kept for this visit only */ }
  }

  const colours = () => (settings.dark ? DARK : LIGHT);

  // The desktop's frame: a header, the content, the countdown bar.
  function frame() {
    const w = screen.clientWidth;
    const h = screen.clientHeight;
    const margin = Math.max(4, Math.floor(h / 40));
    const header = Math.max(16, Math.floor(h / 14));
    const bar = Math.max(4, Math.floor(h / 70));
    const side = Math.max(2 * margin, Math.floor(w / 25));
    return {
      w, h, margin, side,
      header: { x: side, y: 0, w: w - 2 * side, h: header },
      bar: { y: h - bar, h: bar },
      content: { x: side, y: header + margin, w: w - 2 * side, h: h - header - bar - 3 * margin },
    };
  }

  function place(element, box) {
    Object.assign(element.style, { left: box.x + 'px', top: box.y + 'px', width: box.w + 'px', height: box.h + 'px' });
  }

  // ---- Question texts, as the projection window writes them -------------------

  const escape = (t) => t.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');
  // The signs of printed mathematics: a minus as wide as the plus, a times sign.
  const screenText = (t) => t.replace(/-/g, '\u2212').replace(/x/g, '\u00D7');
  const typeset = (t) => escape(screenText(t));
  const NB = '&nbsp;';

  function partsHtml(question, breakable) {
    let html = '';
    for (const part of question.parts) {
      const text = typeset(part.text);
      if (part.kind === 'term') html += text.replace(/ /g, NB);
      else if (part.kind === 'operator') html += (breakable ? ' ' : NB) + text.trim() + NB;
      else if (part.kind === 'exponent') html += '<sup>' + text + '</sup>';
      else html += text;
    }
    return html;
  }

  // A question with a place to fill in asks there; any other after " = ".
  const questionHtml = (q, breakable) => partsHtml(q, breakable)
    + (q.parts.some((part) => part.kind === 'blank') ? '' : NB + '=' + NB + '?');

  // Largest pixel size from minimum to maximum at which the element fits the
  // box, in at most maxLines lines (0: any); 0 when even the minimum does not.
  function fitPixelSize(element, box, minimum, maximum, maxLines) {
    element.style.width = box.w + 'px';
    const fits = (px) => {
      element.style.fontSize = px + 'px';
      const lines = Math.round(element.offsetHeight / (px * 1.25));
      return element.scrollWidth <= box.w && element.offsetHeight <= box.h && (maxLines <= 0 || lines <= maxLines);
    };
    if (minimum < 1 || maximum < minimum || !fits(minimum)) return 0;
    let low = minimum;
    let high = maximum + 1;
    while (high - low > 1) {
      const middle = low + Math.floor((high - low) / 2);
      if (fits(middle)) low = middle; else high = middle;
    }
    fits(low);
    return low;
  }

  // ---- Painting ---------------------------------------------------------------

  function paintHeader(f, left, right) {
    const header = screen.querySelector('.p-entete');
    place(header, f.header);
    header.style.fontSize = Math.max(10, Math.floor(f.h / 30)) + 'px';
    header.style.color = colours().dim;
    $('pGauche').textContent = left;
    $('pDroite').textContent = right;
  }

  function paintBar(f) {
    const bar = screen.querySelector('.p-barre');
    bar.style.height = f.bar.h + 'px';
    const fill = $('pReste');
    // No countdown on the correction: no bar at all, as in the program.
    bar.style.background = round.correction() || round.count() === 0 ? 'transparent' : colours().track;
    if (round.correction() || round.count() === 0) {
      fill.style.width = '0';
      return;
    }
    const left = round.remainingFraction(now());
    fill.style.width = Math.round(f.w * left) + 'px';
    fill.style.background = round.paused() ? colours().dim : left < 0.25 ? colours().barLate : colours().bar;
  }

  function rightOfHeader() {
    if (round.correction()) {
      return round.correctionPages() > 1 ? `page ${round.correctionPage() + 1} / ${round.correctionPages()}` : '';
    }
    return round.paused() ? 'Pause' : `${Math.ceil(round.remainingMs(now()) / 1000)} s`;
  }

  function paintQuestion(f) {
    paintHeader(f, `Question ${round.position() + 1} / ${round.count()}`, rightOfHeader());
    const content = $('pContenu');
    const key = `${round.position()}:${f.w}x${f.h}`;
    if (laidOut && laidOut.key === key) return;
    const question = round.question();
    content.innerHTML = '';
    const text = document.createElement('div');
    text.className = 'p-question';
    content.appendChild(text);
    const box = f.content;
    const tenth = Math.max(1, Math.floor(f.h / 10));
    const largest = Math.max(tenth, Math.floor(f.h / 4));
    // A pair on one line at a tenth of the height or more; a chain (or the
    // order of operations, as long) on two lines at half that or more; else
    // wrapped on as many lines as needed.
    const long = question.long;
    const attempts = [
      { breakable: long, minimum: long ? Math.floor(tenth / 2) : tenth, maxLines: long ? 2 : 1 },
      { breakable: true, minimum: Math.max(1, Math.floor(tenth / 2)), maxLines: 0 },
      { breakable: true, minimum: 6, maxLines: 0 },
    ];
    let px = 0;
    for (const attempt of attempts) {
      text.innerHTML = questionHtml(question, attempt.breakable);
      px = fitPixelSize(text, box, attempt.minimum, largest, attempt.maxLines);
      if (px > 0) break;
    }
    if (px === 0) { px = 6; text.style.fontSize = '6px'; }
    text.style.top = Math.max(0, (box.h - text.offsetHeight) / 2) + 'px';
    text.dataset.px = String(px);
    laidOut = { key, px };
  }

  // ---- Correction: the program's pages, planned by the core ---------------

  const LINE_SPACING = 1.15; // the line spacing of Liberation Sans and Arial
  const RAISED = 0.62; // an exponent's size, and its baseline's lift
  const LIFT = 0.38;
  let characters = null;

  // The type of the correction, from the screen's height.
  function correctionType(f) {
    const px = Math.max(12, Math.floor(f.h / 20));
    return { px, raised: Math.max(6, Math.round(px * RAISED)), lineHeight: px * LINE_SPACING };
  }

  // The widths the screen gives the documents' characters as it draws them,
  // in the correction's type and in its exponents'.
  function measures(type) {
    if (!characters) characters = core.documentCharacters();
    const context = document.createElement('canvas').getContext('2d');
    const widths = (px) => {
      context.font = `${px}px ${getComputedStyle(screen).fontFamily}`;
      return characters.map((c) => context.measureText(screenText(c)).width);
    };
    return { normal: widths(type.px), raised: widths(type.raised), lineHeight: type.lineHeight };
  }

  // Pages for the whole round from character widths alone; only the page
  // shown is ever laid out.
  function planCorrection(f) {
    const key = `${f.w}x${f.h}:${round.count()}`;
    if (planned && planned.key === key) return;
    const type = correctionType(f);
    round.planCorrection(measures(type), {
      width: f.content.w, height: f.content.h, columnGap: type.px, rowGap: Math.floor((type.px * 2) / 5),
    });
    planned = { key, type };
    drawnPage = null;
  }

  // One item: its lines, each run at the place the plan gives it, numbers
  // dim, answers black on yellow, exponents raised.
  function itemElement(item, plan, type) {
    const element = document.createElement('div');
    element.className = 'p-item';
    Object.assign(element.style, {
      left: item.x + 'px', top: item.y + 'px', width: plan.cellWidth + 'px', height: plan.cellHeight + 'px',
      fontSize: type.px + 'px', lineHeight: type.lineHeight + 'px',
    });
    const lines = [];
    const ends = [];
    for (const run of item.runs) {
      if (!lines[run.line]) {
        lines[run.line] = document.createElement('div');
        lines[run.line].className = 'p-ligne';
        lines[run.line].style.top = run.line * type.lineHeight + 'px';
        element.appendChild(lines[run.line]);
        ends[run.line] = 0;
      }
      const span = document.createElement('span');
      span.className = { number: 'p-numero', answer: 'reponse', raised: 'p-exposant' }[run.style] || '';
      span.textContent = screenText(run.text);
      Object.assign(span.style, { marginLeft: run.x - ends[run.line] + 'px', width: run.width + 'px' });
      if (run.style === 'number') span.style.color = colours().dim;
      if (run.style === 'raised') {
        span.style.fontSize = type.raised + 'px';
        span.style.verticalAlign = type.px * LIFT + 'px';
      }
      ends[run.line] = run.x + run.width;
      lines[run.line].appendChild(span);
    }
    return element;
  }

  function paintCorrection(f) {
    if (round.count() > 0) planCorrection(f); // the header tells the pages
    paintHeader(f, 'Correction', rightOfHeader());
    const content = $('pContenu');
    if (round.count() === 0) {
      planned = null;
      drawnPage = null;
      content.innerHTML = '';
      const none = document.createElement('div');
      none.className = 'p-question';
      none.style.cssText = `font-weight:normal;color:${colours().dim};font-size:${correctionType(f).px}px;top:45%`;
      none.textContent = 'Aucune question';
      content.appendChild(none);
      return;
    }
    // Drawn again only when the page or its colours change.
    const key = `${planned.key}:${round.correctionPage()}:${settings.dark}`;
    if (drawnPage && drawnPage.key === key) return;
    const plan = round.correctionPlan(round.correctionPage());
    content.innerHTML = '';
    for (const item of round.correctionItems(round.correctionPage())) {
      content.appendChild(itemElement(item, plan, planned.type));
    }
    drawnPage = { key };
  }

  function paintOverlays(f, questionShown) {
    const t = now();
    const hint = $('pAide');
    let bottom = f.bar.y - Math.floor(f.side / 2);
    if (questionShown && (round.paused() || t < hintUntil)) {
      let px = Math.max(9, Math.floor(f.h / 48));
      hint.hidden = false;
      hint.textContent = HINT;
      hint.style.fontSize = px + 'px';
      hint.style.whiteSpace = 'pre';
      // On a narrow or 4:3 screen the line is set smaller until it fits.
      const advance = hint.scrollWidth;
      if (advance > f.content.w) px = Math.max(9, Math.floor((px * f.content.w) / advance));
      hint.style.fontSize = px + 'px';
      place(hint, { x: f.content.x, y: bottom - Math.floor((px * 3) / 2), w: f.content.w, h: Math.floor((px * 3) / 2) });
      hint.style.lineHeight = Math.floor((px * 3) / 2) + 'px';
      hint.style.color = colours().dim;
      bottom -= Math.floor((px * 3) / 2);
    } else {
      hint.hidden = true;
    }
    const box = $('pAvis');
    if (notice) {
      const px = Math.max(12, Math.floor(f.h / 24));
      box.hidden = false;
      box.textContent = notice;
      Object.assign(box.style, {
        fontSize: px + 'px', padding: `${Math.floor(px / 3)}px ${px}px`, background: colours().notice, color: colours().text,
        left: '50%', transform: 'translateX(-50%)', width: 'auto', height: 'auto',
      });
      box.style.top = (bottom - box.offsetHeight - Math.floor(px / 2)) + 'px';
    } else {
      box.hidden = true;
    }
  }

  function paint() {
    const f = frame();
    const c = colours();
    screen.style.background = c.background;
    screen.style.color = c.text;
    place($('pContenu'), f.content);
    const questionShown = !round.correction() && round.count() > 0;
    if (questionShown) {
      drawnPage = null;
      paintQuestion(f);
    } else {
      laidOut = null;
      paintCorrection(f);
    }
    paintBar(f);
    paintOverlays(f, questionShown);
    screen.dataset.phase = questionShown ? 'question' : 'correction';
  }

  // ---- Events -----------------------------------------------------------------

  function showNotice(text) {
    notice = text;
    noticeUntil = now() + NOTICE_MS;
  }

  function restartRound() {
    round.restart(settings.choice, now());
    laidOut = null;
    planned = null;
  }

  function changeSeconds(delta) {
    round.setSeconds(round.seconds() + delta, now());
    settings.seconds = round.seconds();
    showNotice(`${round.seconds()} secondes par question`);
  }

  function tick() {
    const t = now();
    if (pointerUntil !== 0 && t >= pointerUntil) {
      pointerUntil = 0;
      screen.classList.add('sans-pointeur');
    }
    if ((notice && t >= noticeUntil) || (hintUntil !== 0 && t >= hintUntil)) {
      notice = '';
      hintUntil = 0;
      paint();
    }
    if (round.tick(t)) {
      paint();
    } else if (!round.correction() && round.count() > 0) {
      const f = frame();
      $('pDroite').textContent = rightOfHeader();
      paintBar(f);
    }
  }

  function onKey(event) {
    const t = now();
    switch (event.key) {
      case ' ': case 'ArrowRight': case 'PageDown': round.next(t); break;
      case 'ArrowLeft': case 'PageUp': round.previous(t); break;
      case 'Home': round.first(t); break;
      case 'p': case 'P': round.togglePause(t); break;
      case '+': changeSeconds(STEP); break;
      case '-': case '\u2212': changeSeconds(-STEP); break;
      case 'q': case 'Q':
        settings.choice = settings.choice === 0 ? 10 : settings.choice === 10 ? 20 : 0;
        restartRound();
        showNotice('Choix : ' + CHOICES[settings.choice]);
        break;
      case 'n': case 'N': settings.dark = !settings.dark; break;
      case 'Escape': close(); event.preventDefault(); return;
      default: return;
    }
    event.preventDefault();
    paint();
  }

  function onPointer(event) {
    if (event.type === 'mousemove') {
      if (pointerUntil === 0) screen.classList.remove('sans-pointeur');
      pointerUntil = now() + POINTER_MS;
      return;
    }
    event.preventDefault();
    if (event.type === 'contextmenu') round.previous(now());
    else if (event.button === 0) round.next(now());
    else return;
    paint();
  }

  function onResize() {
    laidOut = null;
    planned = null;
    paint();
  }

  function onFullscreenChange() {
    // Leaving full screen (the browser's own Esc) ends the projection.
    if (!document.fullscreenElement && !screen.hidden) close();
  }

  function close() {
    if (screen.hidden) return;
    clearInterval(timer);
    saveSettings();
    screen.hidden = true;
    document.removeEventListener('keydown', onKey, true);
    window.removeEventListener('resize', onResize);
    // Focus goes back once full screen is left: leaving it moves the focus.
    const focusBack = () => { if (returnFocus) returnFocus.focus(); };
    if (document.fullscreenElement) document.exitFullscreen().then(focusBack, focusBack);
    else focusBack();
  }

  // Projects the questions of sheet (a core.Sheet), which the round copies.
  function start(module, sheet) {
    core = module;
    settings = readSettings();
    if (!round) {
      const draws = new Uint32Array(1);
      crypto.getRandomValues(draws);
      round = new core.Round(draws[0]);
    }
    const t = now();
    round.setSeconds(settings.seconds, t);
    round.start(sheet, settings.choice, t);
    laidOut = null;
    planned = null;
    notice = '';
    hintUntil = t + HINT_MS;
    pointerUntil = t + POINTER_MS;
    returnFocus = document.activeElement;
    screen.hidden = false;
    screen.classList.remove('sans-pointeur');
    screen.focus();
    document.addEventListener('keydown', onKey, true);
    window.addEventListener('resize', onResize);
    if (screen.requestFullscreen) screen.requestFullscreen().catch(() => { /* refused: the window's own size */ });
    clearInterval(timer);
    timer = setInterval(tick, TICK_MS);
    paint();
  }

  screen.addEventListener('mousedown', onPointer);
  screen.addEventListener('contextmenu', onPointer);
  screen.addEventListener('mousemove', onPointer);
  document.addEventListener('fullscreenchange', onFullscreenChange);

  window.OxelnProjection = { start, close, get round() { return round; } };
})();
