// "金币猎人", the demo game: the hero collects the coins of a meadow while
// slimes close in. Time in the world only passes while the hero moves, so an
// idle page draws nothing: frames are requested only while something moves
// (the hero, a slime, a sparkle), never in a free-running loop.
// Written for older engines too: no arrow functions, no classes.
(function () {
  'use strict';
  var canvas = document.getElementById('game');
  var ctx = canvas.getContext('2d');
  var scoreText = document.getElementById('score');
  var heartsText = document.getElementById('hearts');
  var levelText = document.getElementById('level');
  var lastInput = document.getElementById('last-input');

  var HERO_SPEED = 170;   // pixels per second
  var SLIME_SPEED = 70;
  var HERO_RADIUS = 17;
  var HERO_SCALE = 1.4;    // the figure is drawn at this size
  var COIN_RADIUS = 8;
  var SLIME_RADIUS = 12;

  var width = 0, height = 0;
  var background = null;   // the meadow, drawn once per size
  var keys = {};
  var target = null;       // where a click sent the hero
  var hero, coins, slimes, sparkles, banner;
  var score = 0, hearts = 3, level = 1;
  var paused = false, over = false;
  var frameRequested = false, lastFrame = 0;

  // A small seeded generator, so the meadow looks the same on every redraw.
  function seeded(seed) {
    return function () {
      seed = (seed * 1103515245 + 12345) & 0x7fffffff;
      return seed / 0x7fffffff;
    };
  }

  function randomSpot(margin, awayFrom, distance) {
    for (var tries = 0; tries < 50; ++tries) {
      var x = margin + Math.random() * Math.max(1, width - 2 * margin);
      var y = margin + Math.random() * Math.max(1, height - 2 * margin);
      if (!awayFrom || Math.hypot(x - awayFrom.x, y - awayFrom.y) >= distance) return { x: x, y: y };
    }
    return { x: margin, y: margin };
  }

  function startLevel() {
    coins = [];
    for (var i = 0; i < 6 + 2 * level; ++i) coins.push(randomSpot(24, hero, 60));
    slimes = [];
    for (var j = 0; j < level; ++j) {
      var spot = randomSpot(30, hero, 220);
      slimes.push({ x: spot.x, y: spot.y, wobble: Math.random() * 6 });
    }
    banner = { text: '第 ' + level + ' 关', life: 1.2 };
    levelText.textContent = level;
  }

  function newGame() {
    score = 0;
    hearts = 3;
    level = 1;
    over = false;
    paused = false;
    target = null;
    hero = { x: width / 2, y: height / 2, facing: 1, step: 0, hurt: 0 };
    sparkles = [];
    startLevel();
    showStats();
  }

  function showStats() {
    scoreText.textContent = score;
    heartsText.textContent = hearts > 0 ? new Array(hearts + 1).join('♥') : '—';
  }

  function resize() {
    var ratio = window.devicePixelRatio || 1;
    width = Math.max(100, canvas.clientWidth);
    height = Math.max(100, canvas.clientHeight);
    canvas.width = Math.round(width * ratio);
    canvas.height = Math.round(height * ratio);
    ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
    background = paintMeadow(Math.round(width * ratio), Math.round(height * ratio), ratio);
    if (!hero) newGame();
    hero.x = Math.min(hero.x, width - HERO_RADIUS);
    hero.y = Math.min(hero.y, height - HERO_RADIUS);
    draw();
  }

  function paintMeadow(w, h, ratio) {
    var layer = document.createElement('canvas');
    layer.width = w;
    layer.height = h;
    var g = layer.getContext('2d');
    g.scale(ratio, ratio);
    var cw = w / ratio, ch = h / ratio;
    var grass = g.createLinearGradient(0, 0, 0, ch);
    grass.addColorStop(0, '#3f6b2a');
    grass.addColorStop(1, '#2c4f1d');
    g.fillStyle = grass;
    g.fillRect(0, 0, cw, ch);
    var random = seeded(7);
    var count = Math.round(cw * ch / 900);
    for (var i = 0; i < count; ++i) {
      var x = random() * cw, y = random() * ch;
      g.fillStyle = random() < 0.5 ? 'rgba(90,140,50,0.55)' : 'rgba(30,60,20,0.5)';
      g.fillRect(x, y, 2, 5);
    }
    for (var f = 0; f < count / 12; ++f) {
      g.fillStyle = ['#f4e27a', '#f7f2e4', '#e98ab0'][f % 3];
      g.beginPath();
      g.arc(random() * cw, random() * ch, 2, 0, Math.PI * 2);
      g.fill();
    }
    for (var s = 0; s < count / 40; ++s) {
      var sx = random() * cw, sy = random() * ch, r = 5 + random() * 7;
      g.fillStyle = '#6e6a5e';
      g.beginPath();
      g.ellipse(sx, sy, r, r * 0.7, 0, 0, Math.PI * 2);
      g.fill();
      g.fillStyle = '#8d887a';
      g.beginPath();
      g.ellipse(sx - r * 0.25, sy - r * 0.2, r * 0.5, r * 0.3, 0, 0, Math.PI * 2);
      g.fill();
    }
    var vignette = g.createRadialGradient(cw / 2, ch / 2, Math.min(cw, ch) * 0.35, cw / 2, ch / 2, Math.max(cw, ch) * 0.75);
    vignette.addColorStop(0, 'rgba(0,0,0,0)');
    vignette.addColorStop(1, 'rgba(0,0,0,0.55)');
    g.fillStyle = vignette;
    g.fillRect(0, 0, cw, ch);
    return layer;
  }

  // The hero's wish to move this frame: keys first, then a clicked target.
  function heading() {
    var dx = (keys.right ? 1 : 0) - (keys.left ? 1 : 0);
    var dy = (keys.down ? 1 : 0) - (keys.up ? 1 : 0);
    if (dx || dy) {
      target = null;
      var length = Math.hypot(dx, dy);
      return { x: dx / length, y: dy / length, limit: Infinity };
    }
    if (target) {
      var tx = target.x - hero.x, ty = target.y - hero.y;
      var distance = Math.hypot(tx, ty);
      if (distance < 1) {
        target = null;
        return null;
      }
      return { x: tx / distance, y: ty / distance, limit: distance };
    }
    return null;
  }

  function worldMoves() {
    return !paused && !over && heading() !== null;
  }

  function advanceWorld(dt) {
    var way = heading();
    if (!way) return;
    var step = Math.min(HERO_SPEED * dt, way.limit);
    hero.x = Math.max(HERO_RADIUS, Math.min(width - HERO_RADIUS, hero.x + way.x * step));
    hero.y = Math.max(HERO_RADIUS, Math.min(height - HERO_RADIUS, hero.y + way.y * step));
    if (way.x) hero.facing = way.x > 0 ? 1 : -1;
    hero.step += dt * 10;
    hero.hurt = Math.max(0, hero.hurt - dt);

    for (var i = coins.length - 1; i >= 0; --i) {
      if (Math.hypot(coins[i].x - hero.x, coins[i].y - hero.y) < HERO_RADIUS + COIN_RADIUS) {
        sparkles.push({ x: coins[i].x, y: coins[i].y, life: 0.7 });
        coins.splice(i, 1);
        ++score;
        showStats();
      }
    }
    for (var j = 0; j < slimes.length; ++j) {
      var slime = slimes[j];
      var sx = hero.x - slime.x, sy = hero.y - slime.y;
      var distance = Math.hypot(sx, sy) || 1;
      slime.x += sx / distance * SLIME_SPEED * dt;
      slime.y += sy / distance * SLIME_SPEED * dt;
      slime.wobble += dt * 8;
      if (distance < HERO_RADIUS + SLIME_RADIUS && hero.hurt === 0) {
        --hearts;
        hero.hurt = 1.2;
        slime.x -= sx / distance * 60;
        slime.y -= sy / distance * 60;
        showStats();
        if (hearts === 0) {
          over = true;
          keys = {};
          target = null;
        }
      }
    }
    if (coins.length === 0 && !over) {
      ++level;
      startLevel();
    }
  }

  // Sparkles and the level banner fade in real time, even while the world
  // stands still.
  function advanceEffects(dt) {
    for (var i = sparkles.length - 1; i >= 0; --i) {
      sparkles[i].life -= dt;
      if (sparkles[i].life <= 0) sparkles.splice(i, 1);
    }
    if (banner) {
      banner.life -= dt;
      if (banner.life <= 0) banner = null;
    }
  }

  function effectsRunning() {
    return sparkles.length > 0 || banner !== null;
  }

  function frame(now) {
    frameRequested = false;
    var dt = lastFrame ? Math.min(0.05, (now - lastFrame) / 1000) : 1 / 60;
    lastFrame = now;
    if (worldMoves()) advanceWorld(dt);
    advanceEffects(dt);
    draw();
    if (worldMoves() || effectsRunning()) {
      requestFrame();
    } else {
      lastFrame = 0;   // the next movement starts with a fresh clock
    }
  }

  function requestFrame() {
    if (frameRequested) return;
    frameRequested = true;
    window.requestAnimationFrame(frame);
  }

  function drawHero() {
    var bob = Math.sin(hero.step) * 1.5;
    var blink = hero.hurt > 0 && Math.floor(hero.hurt * 10) % 2 === 0;
    ctx.save();
    ctx.translate(hero.x, hero.y);
    ctx.scale(HERO_SCALE, HERO_SCALE);
    ctx.fillStyle = 'rgba(0,0,0,0.35)';
    ctx.beginPath();
    ctx.ellipse(0, 12, 12, 4, 0, 0, Math.PI * 2);
    ctx.fill();
    ctx.globalAlpha = blink ? 0.4 : 1;
    ctx.scale(hero.facing, 1);
    ctx.fillStyle = '#8a1f1f';   // cape
    ctx.fillRect(-9, -4 + bob, 6, 14);
    ctx.fillStyle = '#2d5fa8';   // tunic
    ctx.fillRect(-6, -4 + bob, 12, 14);
    ctx.fillStyle = '#e8c58c';   // face
    ctx.beginPath();
    ctx.arc(0, -10 + bob, 7, 0, Math.PI * 2);
    ctx.fill();
    ctx.fillStyle = '#b8bcc4';   // helmet
    ctx.beginPath();
    ctx.arc(0, -12 + bob, 7.5, Math.PI, 0);
    ctx.fill();
    ctx.fillStyle = '#f0c35a';   // plume
    ctx.fillRect(-1, -22 + bob, 2, 5);
    ctx.strokeStyle = '#dfe6ee';  // sword
    ctx.lineWidth = 2;
    ctx.beginPath();
    ctx.moveTo(8, 2 + bob);
    ctx.lineTo(16, -10 + bob);
    ctx.stroke();
    ctx.restore();
  }

  function drawCoin(coin) {
    ctx.fillStyle = 'rgba(0,0,0,0.3)';
    ctx.beginPath();
    ctx.ellipse(coin.x, coin.y + 8, 7, 2.5, 0, 0, Math.PI * 2);
    ctx.fill();
    var shine = ctx.createRadialGradient(coin.x - 3, coin.y - 3, 1, coin.x, coin.y, COIN_RADIUS);
    shine.addColorStop(0, '#fff6c8');
    shine.addColorStop(0.5, '#f2c443');
    shine.addColorStop(1, '#a86c12');
    ctx.fillStyle = shine;
    ctx.beginPath();
    ctx.arc(coin.x, coin.y, COIN_RADIUS, 0, Math.PI * 2);
    ctx.fill();
    ctx.strokeStyle = '#7a4c0a';
    ctx.lineWidth = 1;
    ctx.stroke();
  }

  function drawSlime(slime) {
    var squash = 1 + Math.sin(slime.wobble) * 0.08;
    ctx.fillStyle = 'rgba(0,0,0,0.3)';
    ctx.beginPath();
    ctx.ellipse(slime.x, slime.y + 9, 12, 4, 0, 0, Math.PI * 2);
    ctx.fill();
    ctx.fillStyle = '#6fd36a';
    ctx.beginPath();
    ctx.ellipse(slime.x, slime.y, SLIME_RADIUS * squash, SLIME_RADIUS / squash, 0, Math.PI, 0);
    ctx.lineTo(slime.x + SLIME_RADIUS * squash, slime.y + 8);
    ctx.lineTo(slime.x - SLIME_RADIUS * squash, slime.y + 8);
    ctx.closePath();
    ctx.fill();
    ctx.fillStyle = '#1b3a17';
    ctx.fillRect(slime.x - 5, slime.y - 4, 3, 4);
    ctx.fillRect(slime.x + 2, slime.y - 4, 3, 4);
  }

  function drawCentred(text, size, colour, y) {
    ctx.font = 'bold ' + size + 'px "Microsoft YaHei", "PingFang SC", "Noto Sans CJK SC", sans-serif';
    ctx.textAlign = 'center';
    ctx.textBaseline = 'middle';
    ctx.lineWidth = 4;
    ctx.strokeStyle = 'rgba(0,0,0,0.7)';
    ctx.strokeText(text, width / 2, y);
    ctx.fillStyle = colour;
    ctx.fillText(text, width / 2, y);
  }

  function draw() {
    if (!background) return;
    ctx.drawImage(background, 0, 0, width, height);
    for (var i = 0; i < coins.length; ++i) drawCoin(coins[i]);
    for (var j = 0; j < slimes.length; ++j) drawSlime(slimes[j]);
    if (target) {
      ctx.strokeStyle = 'rgba(255,230,150,0.8)';
      ctx.lineWidth = 2;
      ctx.beginPath();
      ctx.arc(target.x, target.y, 6, 0, Math.PI * 2);
      ctx.stroke();
    }
    drawHero();
    for (var k = 0; k < sparkles.length; ++k) {
      var s = sparkles[k];
      ctx.globalAlpha = Math.max(0, s.life / 0.7);
      ctx.font = 'bold 16px sans-serif';
      ctx.textAlign = 'center';
      ctx.fillStyle = '#ffe27a';
      ctx.fillText('+1', s.x, s.y - 18 - (0.7 - s.life) * 40);
      ctx.globalAlpha = 1;
    }
    if (banner) {
      ctx.globalAlpha = Math.min(1, banner.life * 2);
      drawCentred(banner.text, 34, '#ffd98a', height * 0.3);
      ctx.globalAlpha = 1;
    }
    if (over) {
      ctx.fillStyle = 'rgba(0,0,0,0.55)';
      ctx.fillRect(0, 0, width, height);
      drawCentred('游戏结束 · 金币 ' + score, 32, '#ffd98a', height / 2 - 18);
      drawCentred('按 Enter 重新开始', 18, '#f1e4c2', height / 2 + 20);
    } else if (paused) {
      ctx.fillStyle = 'rgba(0,0,0,0.45)';
      ctx.fillRect(0, 0, width, height);
      drawCentred('已暂停', 32, '#ffd98a', height / 2 - 12);
      drawCentred('按 Esc 继续', 16, '#f1e4c2', height / 2 + 22);
    }
  }

  var KEY_DIRECTIONS = {
    ArrowLeft: 'left', Left: 'left', a: 'left', A: 'left',
    ArrowRight: 'right', Right: 'right', d: 'right', D: 'right',
    ArrowUp: 'up', Up: 'up', w: 'up', W: 'up',
    ArrowDown: 'down', Down: 'down', s: 'down', S: 'down'
  };

  function showInput(text) {
    lastInput.textContent = '最近输入：' + text;
  }

  document.addEventListener('keydown', function (event) {
    showInput('键盘 ' + event.key);
    var direction = KEY_DIRECTIONS[event.key];
    if (direction) {
      event.preventDefault();
      if (!over) keys[direction] = true;
    } else if (event.key === 'Escape' || event.key === 'Esc') {
      if (!over) paused = !paused;
    } else if (event.key === 'Enter') {
      if (over) newGame();
    } else {
      return;   // every other key (F5 included) keeps its usual meaning
    }
    draw();
    requestFrame();
  });
  document.addEventListener('keyup', function (event) {
    var direction = KEY_DIRECTIONS[event.key];
    if (direction) delete keys[direction];
  });
  // A key released while the page had no focus must not keep the hero walking.
  window.addEventListener('blur', function () { keys = {}; });

  canvas.addEventListener('mousedown', function (event) {
    var box = canvas.getBoundingClientRect();
    var x = event.clientX - box.left, y = event.clientY - box.top;
    showInput('鼠标 ' + Math.round(x) + ', ' + Math.round(y));
    canvas.focus();
    if (event.button !== 0) return;
    if (over) {
      newGame();
    } else {
      paused = false;
      target = { x: x, y: y };
    }
    draw();
    requestFrame();
  });

  var resizeTimer = 0;
  window.addEventListener('resize', function () {
    clearTimeout(resizeTimer);
    resizeTimer = setTimeout(resize, 60);
  });
  resize();
  requestFrame();   // the first level's banner
  canvas.focus();
})();
