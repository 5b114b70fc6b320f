// What the table tests print of a collection: its length, then each item's id (its tag when it has none).
function ids(c) {
  var t = [];
  for (var i = 0; i < c.length; ++i) t.push(c[i].id || c[i].nodeName);
  return c.length + ': ' + t.join(' ');
}
// A new row with that id, in no tree yet.
function tr(id) {
  var r = document.createElement('TR');
  r.id = id;
  return r;
}
// What a call gives: "ok" with the node name (or the value) of its result, or "threw" when it failed.
function tryIt(f) {
  try { var r = f(); return 'ok ' + (r && r.nodeName ? r.nodeName : r); } catch (e) { return 'threw'; }
}
