// The phone's directory screen: every screen is a view on a stack; every view asks dirsim through
// /api/run, the same commands as the shell, and draws the answer. Notifications arrive on /api/events.
'use strict';

const PAGE_SIZE = 10;
const $ = (id) => document.getElementById(id);
const stack = [];
let busy = 0;

// ---- talking to dirsim

async function run(command, args = {}) {
  busy += 1;
  document.body.dataset.busy = String(busy);
  try {
    const response = await fetch('/api/run', {
      method: 'POST',
      headers: { 'Content-Type': 'application/json' },
      body: JSON.stringify({ command, args }),
    });
    try {
      return await response.json();
    } catch (error) {
      return { ok: false, error: 'dirsim answered ' + response.status };
    }
  } catch (error) {
    return { ok: false, error: 'dirsim cannot be reached' };
  } finally {
    busy -= 1;
    document.body.dataset.busy = String(busy);
  }
}

function say(text, kind = 'error') {
  const message = $('message');
  message.textContent = text || '';
  message.className = 'message ' + kind;
}

function last(path) {
  return path ? path.split('/').pop() : '';
}

// ---- the views

// A list view: load() fills items (each {name, extra, menu}) and the page fields from an answer.
class ListView {
  constructor(title) {
    this.title = title;
    this.items = [];
    this.selected = 0;
    this.page = 1;
    this.pages = 1;
    this.total = 0;
    this.key = '';
    this.searchable = false;
    this.seq = 0;
    this.refreshOn = [];
  }

  // Runs the view's query; an answer that a later key press made stale is dropped.
  async load() {
    const seq = ++this.seq;
    const answer = await this.query();
    if (seq !== this.seq) return false;
    if (!answer.ok) {
      say(answer.error);
      this.items = [];
      this.total = 0;
      return true;
    }
    say('');
    const result = answer.result || {};
    this.page = result.page || 1;
    this.pages = result.pages || 1;
    this.total = result.total !== undefined ? result.total : 0;
    if (result.title) this.title = result.title;
    this.items = this.itemsOf(result);
    this.selected = Math.min(this.selected, Math.max(0, this.items.length - 1));
    this.afterLoad(result);
    return true;
  }

  afterLoad() {}
  pageInfo() {
    return this.pages > 1 ? this.page + '/' + this.pages : String(this.total || '');
  }
  // Number of an item as the commands list it (from 1, over all pages).
  numberOf(index) {
    return (this.page - 1) * PAGE_SIZE + index + 1;
  }
  softkeys() {
    return [
      { label: 'Back', act: () => back(), off: stack.length <= 1 },
      { label: 'Open', act: () => openSelected() },
      { label: '\u25C2 Page', act: () => turn(-1), off: !this.canTurn(-1) },
      { label: 'Page \u25B8', act: () => turn(1), off: !this.canTurn(1) },
    ];
  }
  canTurn(step) {
    const page = this.page + step;
    return page >= 1 && page <= this.pages;
  }
  async turn(step) {
    if (!this.canTurn(step)) return;
    this.page += step;
    this.selected = 0;
    await refresh();
  }
}

class HomeView extends ListView {
  constructor() {
    super('Directory');
    this.refreshOn = [1721, 1821, 1921];
  }
  query() {
    return run('shortcuts');
  }
  itemsOf(result) {
    const labels = {
      localdirectory: 'Local Directory',
      remotedirectory: 'Remote Phonebook',
      broadsoftdirectory: 'Network Directory',
      networkcalllog: 'Network Call Log',
      ldap: 'LDAP',
    };
    return (result.shortcuts || []).map((id) => ({ name: labels[id] || id, id, menu: true }));
  }
  pageInfo() {
    return '';
  }
  open(item) {
    if (item.id === 'localdirectory') return push(new GroupsView());
    if (item.id === 'remotedirectory') return push(new RemoteSlotsView());
    if (item.id === 'broadsoftdirectory') return push(new BsftDirectoriesView());
    say(item.name + ' is not simulated here');
  }
}

class GroupsView extends ListView {
  constructor() {
    super('Local Directory');
    this.refreshOn = [1720];
  }
  query() {
    return run('groups');
  }
  itemsOf(result) {
    const groups = (result.groups || []).map((group) => ({
      name: group.name, extra: String(group.contacts), menu: true, group,
    }));
    groups.push({ name: 'Favourites', menu: true, favourites: true });
    return groups;
  }
  pageInfo() {
    return '';
  }
  open(item) {
    if (item.favourites) return push(new ContactsView('Favourites', 'favourites'));
    if (item.group.builtIn && item.group.id === 1) return push(new ContactsView(item.name, 'blacklist'));
    return push(new ContactsView(item.name, 'contacts'));
  }
}

// The contacts of a local group; keypad digits or letters narrow it as they are pressed.
class ContactsView extends ListView {
  constructor(group, command) {
    super(group);
    this.group = group;
    this.command = command;
    this.searchable = command === 'contacts';
    this.refreshOn = [1720, 1722];
  }
  query() {
    const page = { page: this.page, size: PAGE_SIZE };
    if (this.key) return run('search', { key: this.key, group: this.group, ...page });
    if (this.command === 'contacts') return run('contacts', { group: this.group, ...page });
    return run(this.command, page);
  }
  itemsOf(result) {
    return (result.contacts || []).map((contact) => ({
      name: (contact.favourite ? '\u2605 ' : '') + contact.name,
      extra: contact.mobile || contact.office || contact.other,
      contact,
    }));
  }
  afterLoad() {
    this.title = this.group;
  }
  open(item) {
    return push(new LocalContactView(item.contact.name));
  }
}

// A details screen: fields of one entry and the soft keys that act on it.
class DetailsView {
  constructor(title) {
    this.title = title;
    this.fields = [];
    this.isDetails = true;
    this.refreshOn = [];
  }
  pageInfo() {
    return '';
  }
  async act(command, args, done) {
    const answer = await run(command, args);
    say(answer.ok ? done(answer.result || {}) : answer.error, answer.ok ? 'info' : 'error');
  }
}

class LocalContactView extends DetailsView {
  constructor(name) {
    super(name);
    this.name = name;
    this.refreshOn = [1720];
  }
  async load() {
    const answer = await run('show', { contact: this.name });
    if (!answer.ok) {
      say(answer.error);
      this.fields = [];
      return true;
    }
    const contact = answer.result.contact;
    this.fields = [
      ['Name', contact.name], ['Group', contact.group], ['Mobile', contact.mobile], ['Office', contact.office],
      ['Other', contact.other], ['Ring', last(contact.ring) || last(answer.result.groupRing)],
      ['Photo', last(contact.photo)], ['Favourite', contact.favourite ? 'yes' : ''],
    ];
    return true;
  }
  softkeys() {
    return [
      { label: 'Back', act: () => back() },
      { label: 'Dial', act: () => this.act('dial', { target: this.name }, dialled) },
      { label: '', off: true },
      { label: '', off: true },
    ];
  }
}

function dialled(result) {
  const call = (result.calls || [])[0];
  return call ? 'Dialling ' + call.number + (call.name ? ' (' + call.name + ')' : '') : 'Dialling';
}

class RemoteSlotsView extends ListView {
  constructor() {
    super('Remote Phonebook');
    this.refreshOn = [1821];
  }
  query() {
    return run('remote');
  }
  itemsOf(result) {
    if (result.displayName) this.title = result.displayName;
    return (result.slots || []).map((slot) => ({
      name: slot.name, extra: slot.search ? 'search' : '', menu: true, slot,
    }));
  }
  pageInfo() {
    return '';
  }
  async open(item) {
    const answer = await run('remote open', { slot: item.slot.slot, size: PAGE_SIZE });
    if (!answer.ok) return say(answer.error);
    return push(new RemoteNodeView(answer.result, 1));
  }
}

// One level of a remote phonebook. Its soft keys, a page's own page keys and a search slot's query
// all go through the module.
class RemoteNodeView extends ListView {
  constructor(first, depth) {
    super(first.title || '');
    this.first = first;
    this.depth = depth;
    this.searchable = true;
    this.refreshOn = [1822, 1824];
    this.hasNextPage = false;
    this.hasPrevPage = false;
  }
  query() {
    if (this.first) {
      const first = this.first;
      this.first = null;
      return Promise.resolve({ ok: true, result: first });
    }
    if (this.key) return run('remote search', { key: this.key, page: this.page, size: PAGE_SIZE });
    return run('remote list', { page: this.page, size: PAGE_SIZE });
  }
  itemsOf(result) {
    return (result.items || []).map((item) => ({
      name: item.name, extra: (item.numbers || [])[0] || '', menu: item.type === 'menu', item,
    }));
  }
  afterLoad(result) {
    this.hasNextPage = !!result.hasNextPage;
    this.hasPrevPage = !!result.hasPrevPage;
  }
  canTurn(step) {
    return super.canTurn(step) || (step > 0 ? this.hasNextPage : this.hasPrevPage);
  }
  async turn(step) {
    if (super.canTurn(step)) return super.turn(step);
    if (!this.canTurn(step)) return;
    const answer = await run('remote page', { direction: step > 0 ? 'next' : 'prev' });
    if (!answer.ok) return say(answer.error);
    this.first = answer.result;
    this.page = 1;
    this.selected = 0;
    await refresh();
  }
  softkeys() {
    const keys = super.softkeys();
    keys[1] = { label: 'Key\u2026', act: () => askSoftKey() };
    return keys;
  }
  async open(item, index) {
    if (this.key) return say('leave the search (#) to open an item');
    const number = this.numberOf(index);
    const answer = await run('remote enter', { item: number });
    if (!answer.ok) return say(answer.error);
    if (answer.result.entry) return push(new RemoteEntryView(answer.result.entry, number));
    return push(new RemoteNodeView(answer.result, this.depth + 1));
  }
  async pressSoftKey(letter) {
    const answer = await run('remote key', { key: letter });
    if (!answer.ok) return say(answer.error);
    return push(new RemoteNodeView(answer.result, this.depth + 1));
  }
  async leave() {
    await run(this.depth > 1 ? 'remote back' : 'remote top');
  }
}

class RemoteEntryView extends DetailsView {
  constructor(entry, number) {
    super(entry.name);
    this.number = number;
    this.fields = [['Name', entry.name]].concat((entry.numbers || []).map((n, i) => ['Number ' + (i + 1), n]));
  }
  async load() {
    return true;
  }
  softkeys() {
    const item = { item: this.number };
    return [
      { label: 'Back', act: () => back() },
      { label: 'Dial', act: () => this.act('remote dial', item, dialled) },
      { label: 'Copy', act: () => this.act('remote copy', item, () => 'Copied into the local directory') },
      { label: 'Block', act: () => this.act('remote copy', { ...item, blacklist: true }, () => 'Added to the blacklist') },
    ];
  }
}

class BsftDirectoriesView extends ListView {
  constructor() {
    super('Network Directory');
    this.refreshOn = [1921];
  }
  query() {
    return run('bsft');
  }
  itemsOf(result) {
    return (result.directories || []).map((directory) => ({
      name: directory.name, extra: directory.kind, menu: true, directory,
    }));
  }
  pageInfo() {
    return '';
  }
  open(item) {
    return push(new BsftListView(item.directory.index, item.directory.name));
  }
}

// A network directory or the combined list, page by page; the keypad searches what was downloaded.
class BsftListView extends ListView {
  constructor(index, name) {
    super(name);
    this.index = index;
    this.name = name;
    this.searchable = true;
    this.refreshOn = [1920];
  }
  // Opening downloads the directory afresh; later pages of the plain list come from what is in view.
  query() {
    const page = { page: this.page, size: PAGE_SIZE };
    const searched = this.searched;
    this.searched = !!this.key;
    if (this.key) return run('bsft find', { key: this.key, in: this.index, ...page });
    if (this.opened && !searched) return run('bsft list', page);
    this.opened = true;
    return run('bsft open', { directory: this.index, ...page });
  }
  itemsOf(result) {
    return (result.entries || []).map((entry) => ({
      name: entry.name, extra: entry.number || entry.extension || entry.mobile || '', entry,
    }));
  }
  afterLoad(result) {
    this.title = result.directory || this.name;
  }
  open(item, index) {
    return push(new BsftEntryView(item.entry, this.numberOf(index)));
  }
}

class BsftEntryView extends DetailsView {
  constructor(entry, number) {
    super(entry.name);
    this.number = number;
    const names = {
      name: 'Name', number: 'Number', extension: 'Extension', mobile: 'Mobile', emailAddress: 'E-mail',
      department: 'Department', title: 'Title', location: 'Location', city: 'City', country: 'Country',
    };
    this.fields = Object.keys(names).filter((key) => entry[key]).map((key) => [names[key], entry[key]]);
  }
  async load() {
    return true;
  }
  softkeys() {
    const entry = { entry: String(this.number) };
    return [
      { label: 'Back', act: () => back() },
      { label: 'Dial', act: () => this.act('bsft dial', entry, dialled) },
      { label: 'Copy', act: () => this.act('bsft copy', entry, () => 'Copied into the local directory') },
      { label: 'Block', act: () => this.act('bsft copy', { ...entry, blacklist: true }, () => 'Added to the blacklist') },
    ];
  }
}

// ---- the stack and the screen

function current() {
  return stack[stack.length - 1];
}

async function push(view) {
  stack.push(view);
  await refresh();
}

async function back() {
  if (stack.length <= 1) return;
  const view = stack.pop();
  if (view.leave) await view.leave();
  say('');
  await refresh();
}

async function refresh() {
  const view = current();
  if (await view.load()) draw();
}

function draw() {
  const view = current();
  $('title').textContent = view.title;
  $('page-info').textContent = view.pageInfo();
  $('search-bar').hidden = !view.searchable;
  $('search-key').textContent = view.key || '';
  const list = $('list');
  const details = $('details');
  list.replaceChildren();
  details.replaceChildren();
  list.hidden = !!view.isDetails;
  list.dataset.total = String(view.total || 0);
  document.body.dataset.view = view.constructor.name;
  details.hidden = !view.isDetails;
  if (view.isDetails) {
    const heading = document.createElement('h3');
    heading.textContent = view.title;
    const fields = document.createElement('dl');
    for (const [label, value] of view.fields) {
      if (!value) continue;
      const term = document.createElement('dt');
      term.textContent = label;
      const text = document.createElement('dd');
      text.textContent = value;
      fields.append(term, text);
    }
    details.append(heading, fields);
  } else {
    view.items.forEach((item, index) => {
      const row = document.createElement('li');
      row.className = (item.menu ? 'menu' : 'entry') + (index === view.selected ? ' selected' : '');
      row.setAttribute('role', 'option');
      const name = document.createElement('span');
      name.className = 'name';
      name.textContent = item.name;
      const extra = document.createElement('span');
      extra.className = 'extra';
      extra.textContent = item.extra || '';
      row.append(name, extra);
      row.addEventListener('click', () => {
        view.selected = index;
        openSelected();
      });
      list.append(row);
    });
    if (view.items.length === 0) {
      const row = document.createElement('li');
      row.className = 'empty';
      row.textContent = view.key ? 'no match' : 'empty';
      list.append(row);
    }
  }
  const keys = view.softkeys();
  document.querySelectorAll('#softkeys button').forEach((button, index) => {
    const key = keys[index] || { label: '', off: true };
    button.textContent = key.label;
    button.disabled = !!key.off;
    button.onclick = key.off ? null : key.act;
  });
}

function openSelected() {
  const view = current();
  if (view.isDetails || !view.items[view.selected] || !view.open) return;
  return view.open(view.items[view.selected], view.selected);
}

function turn(step) {
  const view = current();
  if (view.turn) return view.turn(step);
}

function move(step) {
  const view = current();
  if (view.isDetails || view.items.length === 0) return;
  view.selected = (view.selected + step + view.items.length) % view.items.length;
  draw();
}

// A key of the pad: digits search, * takes the last key back, # clears.
async function keypad(key) {
  const view = current();
  if (!view.searchable) return;
  if (key === '*') view.key = view.key.slice(0, -1);
  else if (key === '#') view.key = '';
  else view.key += key;
  view.page = 1;
  view.selected = 0;
  $('search-key').textContent = view.key;
  if (await view.load()) draw();
}

// The remote soft keys have no names the module hands out: the next letter typed presses the key.
let softKeyWanted = false;
function askSoftKey() {
  softKeyWanted = true;
  say('type the first letter of the soft key', 'info');
}

document.addEventListener('keydown', (event) => {
  if (event.target.tagName === 'INPUT') return;
  const view = current();
  if (softKeyWanted && event.key.length === 1) {
    softKeyWanted = false;
    if (view.pressSoftKey) view.pressSoftKey(event.key.toUpperCase());
    event.preventDefault();
    return;
  }
  const actions = {
    ArrowUp: () => move(-1), ArrowDown: () => move(1), ArrowLeft: () => turn(-1), ArrowRight: () => turn(1),
    Enter: () => openSelected(), Escape: () => back(), Backspace: () => keypad('*'),
  };
  if (actions[event.key]) {
    actions[event.key]();
    event.preventDefault();
  } else if (event.key.length === 1 && /[0-9a-zA-Z\u00C0-\uFFFF]/.test(event.key)) {
    keypad(event.key);
  }
});

document.querySelectorAll('#keypad button').forEach((button) => {
  button.addEventListener('click', () => keypad(button.dataset.key));
});
document.querySelectorAll('[data-nav]').forEach((button) => {
  const actions = { up: () => move(-1), down: () => move(1), left: () => turn(-1), right: () => turn(1), ok: openSelected };
  button.addEventListener('click', () => actions[button.dataset.nav]());
});

// ---- the incoming call

function portrait(text) {
  const svg = document.createElementNS('http://www.w3.org/2000/svg', 'svg');
  svg.setAttribute('viewBox', '0 0 64 64');
  const title = document.createElementNS(svg.namespaceURI, 'title');
  title.textContent = text;
  const head = document.createElementNS(svg.namespaceURI, 'circle');
  head.setAttribute('cx', '32');
  head.setAttribute('cy', '24');
  head.setAttribute('r', '12');
  head.setAttribute('fill', '#f0d9c0');
  const shoulders = document.createElementNS(svg.namespaceURI, 'path');
  shoulders.setAttribute('d', 'M8 64c2-16 12-22 24-22s22 6 24 22z');
  shoulders.setAttribute('fill', '#2d5d73');
  svg.append(title, head, shoulders);
  return svg;
}

function otherNames(result) {
  return Object.keys(result)
    .filter((key) => key !== 'name' && /Name$/.test(key) && result[key])
    .map((key) => key.replace(/Name$/, '') + ': ' + result[key]);
}

async function ring(number) {
  const card = $('call-card');
  const answer = await run('lookup', { number });
  card.hidden = false;
  const photo = $('call-photo');
  photo.replaceChildren();
  if (!answer.ok) {
    card.className = 'call-card refused';
    card.dataset.state = 'error';
    $('call-name').textContent = number;
    $('call-shown-number').textContent = '';
    $('call-ring').textContent = '';
    $('call-more').textContent = '';
    $('call-verdict').textContent = answer.error;
    return;
  }
  const result = answer.result;
  const names = otherNames(result);
  const name = result.name || (names.length ? names[0].replace(/^[^:]*: /, '') : '');
  $('call-name').textContent = name || 'Unknown caller';
  $('call-shown-number').textContent = result.number || number;
  $('call-more').textContent = names.join(', ');
  if (result.photo) photo.append(portrait(last(result.photo)));
  else photo.textContent = (name || '?').trim().charAt(0).toUpperCase();
  if (result.blacklisted) {
    card.className = 'call-card refused';
    card.dataset.state = 'refused';
    $('call-ring').textContent = '';
    $('call-verdict').textContent = 'Refused: the number is on the blacklist';
  } else {
    card.className = 'call-card';
    card.dataset.state = 'ringing';
    $('call-ring').textContent = 'Ring: ' + (last(result.ring) || 'the phone\u2019s default');
    $('call-verdict').textContent = 'Ringing\u2026';
  }
}

$('call-form').addEventListener('submit', (event) => {
  event.preventDefault();
  const number = $('call-number').value.trim();
  if (number) ring(number);
});

// ---- notifications

function listen() {
  const source = new EventSource('/api/events');
  const state = $('events-state');
  source.onopen = () => {
    state.textContent = 'live';
    state.className = 'events-state live';
  };
  source.onerror = () => {
    state.textContent = 'reconnecting';
    state.className = 'events-state';
  };
  source.addEventListener('notice', (event) => {
    const notice = JSON.parse(event.data);
    const row = document.createElement('li');
    row.className = notice.command === null ? 'idle' : '';
    row.textContent = new Date().toLocaleTimeString() + ' ' + notice.text +
      (notice.command === null ? '' : ' (' + notice.command + ')');
    $('events').prepend(row);
    while ($('events').children.length > 100) $('events').lastChild.remove();
    const view = current();
    if (notice.command === null && view && view.refreshOn.includes(notice.id)) {
      say('module: ' + notice.text, 'info');
      refresh();
    }
  });
}

listen();
push(new HomeView());
