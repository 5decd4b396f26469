// The login page's behaviour: checks the form where the player can see the
// message, logs in through the portal (which sets the session cookie) and
// then takes the whole window to the game page of the chosen server.
// Written for older engines too: no arrow functions, no fetch.
(function () {
  'use strict';
  var config = window.QM_PORTAL || {};
  var form = document.getElementById('login');
  var account = document.getElementById('account');
  var password = document.getElementById('password');
  var remember = document.getElementById('remember');
  var play = document.getElementById('play');
  var msg = document.getElementById('msg');
  var serverLabels = document.querySelectorAll('#servers .sv');

  function say(text, good) {
    msg.textContent = text;
    msg.className = good ? 'msg ok' : 'msg';
  }

  function chosenServer() {
    var checked = form.querySelector('input[name=svname]:checked');
    return checked ? checked.value : '';
  }

  // Engines without :has() see the choice through this class.
  function markChosen() {
    for (var i = 0; i < serverLabels.length; ++i) {
      var input = serverLabels[i].querySelector('input');
      serverLabels[i].className = serverLabels[i].className.replace(/ chosen\b/g, '') + (input.checked ? ' chosen' : '');
    }
  }

  function markField(input, bad) {
    var field = input.parentNode;
    field.className = field.className.replace(/ bad\b/g, '') + (bad ? ' bad' : '');
  }

  // The first thing wrong with the form, with the field to fix, or null.
  function problem() {
    if (!account.value) return { text: '请输入账号', field: account };
    if (/[\s\u3000]/.test(account.value)) return { text: '账号不能包含空格', field: account };
    if (!password.value) return { text: '请输入密码', field: password };
    if (!chosenServer()) return { text: '请选择服务器', field: null };
    return null;
  }

  function gameUrl(server, name) {
    return config.play + encodeURIComponent(server) + '/?uid=' + encodeURIComponent(name);
  }

  function submit(event) {
    if (event) event.preventDefault();
    if (play.disabled) return false;
    var wrong = problem();
    markField(account, wrong && wrong.field === account);
    markField(password, wrong && wrong.field === password);
    if (wrong) {
      say(wrong.text);
      if (wrong.field) wrong.field.focus();
      return false;
    }
    var server = chosenServer();
    var name = account.value;
    play.disabled = true;
    say('正在登录…', true);
    var request = new XMLHttpRequest();
    request.open('POST', config.login);
    request.setRequestHeader('Content-Type', 'application/x-www-form-urlencoded');
    request.onload = function () {
      var answer = null;
      try {
        answer = JSON.parse(request.responseText);
      } catch (e) {
        answer = null;
      }
      if (answer && answer.ok) {
        say('登录成功，正在进入' + server + '…', true);
        window.top.location.href = gameUrl(server, name);
        // Should the window stay (a host may keep the game page for itself),
        // the form is usable again after a moment.
        setTimeout(function () { play.disabled = false; }, 3000);
      } else {
        play.disabled = false;
        say(answer && answer.message ? answer.message : '登录失败，请稍后再试');
      }
    };
    request.onerror = function () {
      play.disabled = false;
      say('无法连接服务器，请稍后再试');
    };
    request.send('format=json&account=' + encodeURIComponent(name) + '&password=' +
                 encodeURIComponent(password.value) + '&svname=' + encodeURIComponent(server) +
                 '&remember=' + (remember.checked ? '1' : '0'));
    return false;
  }

  form.addEventListener('submit', submit);
  for (var i = 0; i < serverLabels.length; ++i) {
    serverLabels[i].addEventListener('click', function (event) {
      var input = this.querySelector('input');
      if (input.disabled) {
        event.preventDefault();
        say(this.querySelector('.sv-name').textContent + '正在维护，请选择其他服务器');
      } else {
        say('');
      }
    });
    serverLabels[i].querySelector('input').addEventListener('change', markChosen);
  }
  account.addEventListener('input', function () { markField(account, false); });
  password.addEventListener('input', function () { markField(password, false); });
  document.getElementById('forgot').addEventListener('click', function (event) {
    event.preventDefault();
    say('演示平台不需要找回密码：任意密码都能登录', true);
  });
  markChosen();

  // Types text into a field a character at a time, as a person would.
  function typeInto(input, text, done) {
    var characters = text.match(/[\uD800-\uDBFF][\uDC00-\uDFFF]|[\s\S]/g) || [];
    var at = 0;
    input.focus();
    input.value = '';
    (function next() {
      if (at === characters.length) {
        done();
        return;
      }
      input.value += characters[at++];
      setTimeout(next, 30);
    })();
  }

  // The portal was started to log in by itself: fill the form and press
  // "进入游戏" about a second after the page has loaded.
  function autoLogin(login) {
    setTimeout(function () {
      typeInto(account, login.account, function () {
        typeInto(password, login.password, function () {
          var inputs = form.querySelectorAll('input[name=svname]');
          for (var i = 0; i < inputs.length; ++i) inputs[i].checked = inputs[i].value === login.server;
          markChosen();
          remember.checked = false;
          play.className += ' pressed';
          setTimeout(function () {
            play.className = play.className.replace(/ pressed\b/g, '');
            play.click();
          }, 120);
        });
      });
    }, 500);
  }

  window.addEventListener('load', function () {
    if (config.autoLogin) {
      autoLogin(config.autoLogin);
    } else {
      (account.value ? password : account).focus();
    }
  });
})();
