var said = 'hello';
