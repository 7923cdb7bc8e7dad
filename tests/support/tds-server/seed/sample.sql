-- sample: a small shop with identity keys, a foreign key, a view, and stored procedures.
create table customers (
    id int identity(1,1) primary key,
    name nvarchar(40) not null,
    city nvarchar(30),
    joined datetime,
    credit decimal(12,2)
);
insert into customers (name, city, joined, credit) values
    ('Ada Lovelace', 'London', '2021-03-04 10:15:00.000', 1500.50),
    ('Blaise Pascal', 'Paris', '2022-11-30 08:00:00.000', 250.00),
    (N'Zoë Ørsted', N'København', '2023-06-01 17:45:30.500', 0.75);

create table products (
    id int identity(1,1) primary key,
    code char(8) not null,
    title varchar(60) not null,
    price money,
    weight float,
    stock smallint,
    active bit
);
insert into products (code, title, price, weight, stock, active) values
    ('LAMP-001', 'Desk lamp', 24.99, 1.25, 40, 1),
    ('CHAIR-02', 'Office chair', 149.00, 12.5, 7, 1),
    ('MUG-0003', 'Mug', 4.5, 0.3, 0, 0);

create table orders (
    id int identity(1,1) primary key,
    customer_id int not null references customers (id),
    product_id int not null references products (id),
    quantity tinyint not null,
    ordered datetime2(3),
    shipped date,
    reference uniqueidentifier
);
insert into orders (customer_id, product_id, quantity, ordered, shipped, reference) values
    (1, 1, 2, '2024-01-10 09:30:00.125', '2024-01-12', '6F9619FF-8B86-D011-B42D-00C04FC964FF'),
    (1, 3, 6, '2024-02-01 14:00:00.000', null, '0E984725-C51C-4BF4-9960-E1C80E27ABA0'),
    (2, 2, 1, '2024-02-15 11:11:11.111', '2024-02-20', 'B1E4C8D2-3F5A-4A6B-9C7D-8E9F0A1B2C3D');

create view customer_totals as
    select c.name, count(o.id) as orders, sum(o.quantity * p.price) as total
    from customers c
    left join orders o on o.customer_id = c.id
    left join products p on p.id = o.product_id
    group by c.name;

-- A table of numbers, long enough for the drop mode to cut it off.
create table numbers (n int not null primary key);
with recursive counter(n) as (select 1 union all select n + 1 from counter where n < 1000)
insert into numbers select n from counter;
GO
create procedure customer_orders @customer_id int, @since datetime = null
as
select o.id, p.title, o.quantity, o.ordered
from orders o join products p on p.id = o.product_id
where o.customer_id = @customer_id and (@since is null or o.ordered >= @since)
order by o.id;
GO
create procedure add_customer
    @name nvarchar(40),
    @city nvarchar(30) = null,
    @credit decimal(12,2) = 0,
    @new_id int output
as
begin
    insert into customers (name, city, credit) values (@name, @city, @credit);
    select scope_identity() as new_id;
end
GO
create procedure product_count as
select count(*) as products from products;
