// The page's log: each step reads it back whole.
var seen = window.seen || [];
window.seen = seen;
function log(what) { seen.push(what); }
