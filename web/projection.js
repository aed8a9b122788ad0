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
  let round = null;
  let questions = [];
  let settings = null;
  let timer = 0;
  let notice = '';
  let noticeUntil = 0;
  let hintUntil = 0;
  let pointerUntil = 0;
  let pages = null; // the correction laid out: { key, pages: [[{ item, x, y, width }]] }
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
  const typeset = (t) => escape(t).replace(/-/g, '\u2212').replace(/x/g, '\u00D7');
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

  const questionHtml = (q, breakable) => partsHtml(q, breakable) + NB + '=' + NB + '?';
  const correctionHtml = (q, breakable) => partsHtml(q, breakable) + NB + '=' + NB
    + '<span class="reponse">' + typeset(q.answer).replace(/ /g, NB) + '</span>';

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
    bar.style.background = colours().track;
    const fill = $('pReste');
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
    const question = questions[round.questionIndex()];
    content.innerHTML = '';
    const text = document.createElement('div');
    text.className = 'p-question';
    content.appendChild(text);
    const box = f.content;
    const tenth = Math.max(1, Math.floor(f.h / 10));
    const largest = Math.max(tenth, Math.floor(f.h / 4));
    // A pair on one line at a tenth of the height or more; a chain on two
    // lines at half that or more; else wrapped on as many lines as needed.
    const attempts = [
      { breakable: question.chain, minimum: question.chain ? Math.floor(tenth / 2) : tenth, maxLines: question.chain ? 2 : 1 },
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

  // Rows in reading order: two short items side by side, a long one (a
  // chain) across the width; a new page when the next row does not fit.
  function layoutCorrection(f) {
    const key = `${f.w}x${f.h}:${settings.dark}:${round.count()}`;
    if (pages && pages.key === key) return;
    const content = $('pContenu');
    content.innerHTML = '';
    const box = f.content;
    const px = Math.max(12, Math.floor(f.h / 20));
    const gap = Math.floor((px * 2) / 5);
    const half = (box.w - 2 * gap) / 2;
    const items = [];
    for (let i = 0; i < round.count(); ++i) {
      const item = document.createElement('div');
      item.className = 'p-item';
      item.style.fontSize = px + 'px';
      item.style.width = 'max-content';
      item.innerHTML = `<span style="color:${colours().dim}">${i + 1}.</span>${NB}` + correctionHtml(questions[round.orderAt(i)], true);
      content.appendChild(item);
      items.push(item);
    }
    const isShort = (i) => i < items.length && items[i].offsetWidth <= half;
    const laid = [];
    let page = [];
    let y = 0;
    for (let i = 0; i < items.length;) {
      const inRow = isShort(i) && isShort(i + 1) ? 2 : 1;
      let rowHeight = 0;
      for (let k = 0; k < inRow; ++k) {
        items[i + k].style.width = (inRow === 2 ? half : box.w) + 'px';
        rowHeight = Math.max(rowHeight, items[i + k].offsetHeight);
      }
      if (y + rowHeight > box.h + 1 && page.length) {
        laid.push(page);
        page = [];
        y = 0;
      }
      for (let k = 0; k < inRow; ++k) page.push({ item: items[i + k], x: k * (half + 2 * gap), y });
      y += rowHeight + gap;
      i += inRow;
    }
    if (page.length || !laid.length) laid.push(page);
    round.setCorrectionPages(laid.length);
    pages = { key, pages: laid, px };
  }

  function paintCorrection(f) {
    layoutCorrection(f);
    paintHeader(f, 'Correction', rightOfHeader());
    const content = $('pContenu');
    if (round.count() === 0) {
      content.innerHTML = '';
      const none = document.createElement('div');
      none.className = 'p-question';
      none.style.cssText = `font-weight:normal;color:${colours().dim};font-size:${pages.px}px;top:45%`;
      none.textContent = 'Aucune question';
      content.appendChild(none);
      pages = null;
      return;
    }
    const shown = new Set(pages.pages[round.correctionPage()]);
    for (const item of content.children) item.style.display = 'none';
    for (const placed of shown) {
      Object.assign(placed.item.style, { display: '', left: placed.x + 'px', top: placed.y + 'px' });
    }
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
      pages = null;
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
    round.start(questions.length, settings.choice, now());
    laidOut = null;
    pages = null;
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
      case 'n': case 'N': settings.dark = !settings.dark; pages = null; break;
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
    pages = null;
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

  function start(core, list) {
    questions = list;
    settings = readSettings();
    if (!round) {
      const draws = new Uint32Array(1);
      crypto.getRandomValues(draws);
      round = new core.Round(draws[0]);
    }
    const t = now();
    round.setSeconds(settings.seconds, t);
    restartRound();
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
